#pragma once
// What the system says about the repeater's way in, gathered for `quorvinctl doctor`. On Linux: the
// USB devices and hidraw nodes with the repeater's ids, the udev rule files, the serial ports and
// the processes known to grab USB-serial adapters. On Windows: the devices with the repeater's ids
// as the configuration manager knows them (driver, problem code) and the COM ports. It only looks
// and tries; judging is the caller's.
//
// Every Linux path is read below `root` ("/" on a real system), so a test can stand a made-up
// /sys, /dev, /proc and udev rules tree in a folder of its own.

#include <QString>
#include <QStringList>
#include <QtGlobal>
#include <cstdint>
#include <optional>
#include <vector>

namespace quorvin {

// Trying to open a device node for reading and writing, the way the tool would.
struct OpenTry {
  int error = 0;      // errno of the failed open; 0: it opened
  QString errorText;  // the system's words for it
  [[nodiscard]] bool Opened() const { return error == 0; }
};

struct HidrawNode {
  QString node;  // /dev/hidraw3
  OpenTry open;
};

struct UdevRuleFile {
  QString name;          // 70-quorvin.rules
  QString path;          // the file udev reads under that name (the first folder that has it)
  bool names = false;    // it has a line for the repeater's vendor and product ids
  bool uaccess = false;  // that line hands access out with TAG+="uaccess"
};

struct SerialNode {
  QString node;      // /dev/ttyUSB0
  bool usb = false;  // an adapter on USB (ttyUSB, ttyACM): the kind other services grab
  OpenTry open;
  QString group;             // the node's group (dialout)
  bool inGroup = false;      // this process has that group now
  bool groupListed = false;  // the user is listed in the group, maybe since the last log-in only
  QString holder;            // "name (pid N)" of a process that has it open or locked; empty: none seen
};

// A running process that opens new USB-serial adapters on its own.
struct Grabber {
  QString name;  // "ModemManager", "brltty"
  qint64 pid = 0;
};

// A device with the repeater's ids as Windows lists it (SetupAPI, the configuration manager).
struct WindowsDevice {
  QString instanceId;    // USB\VID_0483&PID_1234\QV0001, HID\VID_0483&PID_1234\...
  QString name;          // as Device Manager names it
  QString service;       // the driver's service (HidUsb); empty: none
  bool usb = false;      // the USB device itself, whose driver decides; not a HID collection on it
  unsigned problem = 0;  // the configuration manager's problem code (CM_PROB_*); 0: none
};

// A COM port the system lists, tried the way the tool opens it.
struct ComPort {
  QString name;             // COM3
  QString device;           // the driver's device (\Device\Serial0)
  unsigned long error = 0;  // the system's error code of the open; 0: it opened
  QString errorText;        // the system's words for it
  bool busy = false;        // another program holds it
  QString holder;           // "name (pid N)" when the system tells
};

// A folder the tool writes into (the history's, the snapshots'), as found.
struct FolderFacts {
  QString path;
  bool notFolder = false;  // a file stands where the folder (or one above it) belongs
  bool writable = false;   // a file could be made in it (or in the nearest folder above it that exists)
  QString why;             // the system's words when it could not; for notFolder, the file in the way
};

struct SystemFacts {
  bool available = false;           // false where the Linux checks do not exist (not Linux)
  bool windows = false;             // the Windows facts below were gathered
  int usbDevices = 0;               // USB devices with the repeater's ids
  std::vector<HidrawNode> hidraw;   // hidraw nodes with the repeater's ids
  std::vector<UdevRuleFile> rules;  // rule files that name the repeater, in udev's order
  QString uaccessRule;              // the rule file that applies uaccess (73-seat-late.rules), as udev reads it
  std::vector<SerialNode> serial;
  std::vector<Grabber> grabbers;  // running processes known to grab USB-serial adapters
  // Windows:
  std::vector<WindowsDevice> devices;  // devices with the repeater's ids
  std::vector<ComPort> comPorts;
  // Filled in by the caller, which knows the HID layer and the tool's folders:
  std::optional<bool> hidLayerStarts;  // the HID library started (unset: not asked)
  std::vector<FolderFacts> folders;
};

// Looks at the system below `root` for the device with these ids.
[[nodiscard]] SystemFacts ProbeSystem(const QString& root, std::uint16_t vendorId, std::uint16_t productId);

// The rule file that applies uaccess: a rule for the repeater must sort before it.
inline constexpr char kSeatLateRules[] = "73-seat-late.rules";

}  // namespace quorvin
