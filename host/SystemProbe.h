#pragma once
// What the system says about the repeater's way in, gathered for `quorvinctl doctor`: the USB
// devices and hidraw nodes with the repeater's ids, the udev rule files, the serial ports and the
// processes known to grab USB-serial adapters. It only looks and tries; judging is the caller's.
//
// Every path is read below `root` ("/" on a real system), so a test can stand a made-up /sys,
// /dev, /proc and udev rules tree in a folder of its own.

#include <QString>
#include <QStringList>
#include <QtGlobal>
#include <cstdint>
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

struct SystemFacts {
  bool available = false;           // false where these checks do not exist (not Linux)
  int usbDevices = 0;               // USB devices with the repeater's ids
  std::vector<HidrawNode> hidraw;   // hidraw nodes with the repeater's ids
  std::vector<UdevRuleFile> rules;  // rule files that name the repeater, in udev's order
  QString uaccessRule;              // the rule file that applies uaccess (73-seat-late.rules), as udev reads it
  std::vector<SerialNode> serial;
  std::vector<Grabber> grabbers;  // running processes known to grab USB-serial adapters
};

// Looks at the system below `root` for the device with these ids.
[[nodiscard]] SystemFacts ProbeSystem(const QString& root, std::uint16_t vendorId, std::uint16_t productId);

// The rule file that applies uaccess: a rule for the repeater must sort before it.
inline constexpr char kSeatLateRules[] = "73-seat-late.rules";

}  // namespace quorvin
