#pragma once
// The HID seam: enumerate present interfaces, open one, move 65-byte reports. Three backends:
// hidapi (real devices), socket (the virtual HID link of quorvin-sim) and in-process (tests, --demo).

#include <QString>
#include <cstdint>
#include <memory>
#include <utility>
#include <vector>

namespace quorvin {

struct HidDeviceInfo {
  HidDeviceInfo() = default;
  // Spelled out so the many places that know only the path and the ids need not name the rest.
  HidDeviceInfo(QString p, std::uint16_t vid, std::uint16_t pid, bool idsRead = true, QString sn = {},
                QString where = {})
      : path(std::move(p)),
        vendorId(vid),
        productId(pid),
        attributesOk(idsRead),
        serial(std::move(sn)),
        location(std::move(where)) {}

  QString path;
  std::uint16_t vendorId = 0;
  std::uint16_t productId = 0;
  bool attributesOk = true;  // false when the platform could not read the ids
  // Who it is, where the platform can tell: the USB serial-number string, and where it hangs (the
  // USB bus/port chain such as "1-2.3", stable across replugging into the same socket). Both may be
  // left out where a list of devices is written by hand.
  QString serial{};
  QString location{};
};

enum class HidIo {
  Ok,
  Timeout,       // nothing within the time allowed
  Error,         // the transfer failed
  Disconnected,  // the device is gone
};

enum class HidOpen { Ok, AccessDenied, Failed };

class HidHandle {
 public:
  virtual ~HidHandle() = default;
  // Writes one output report: byte 0 the report ID, then 64 data bytes.
  [[nodiscard]] virtual HidIo Write(const std::uint8_t* report, std::size_t length, int timeoutMs) = 0;
  // Reads one input report's data bytes, without the report ID, into `data` (up to `capacity`).
  [[nodiscard]] virtual HidIo Read(std::uint8_t* data, std::size_t capacity, int timeoutMs) = 0;
};

class HidBackend {
 public:
  virtual ~HidBackend() = default;
  [[nodiscard]] virtual std::vector<HidDeviceInfo> Enumerate() = 0;
  [[nodiscard]] virtual HidOpen Open(const QString& path, std::unique_ptr<HidHandle>& handle) = 0;
  // A short name for messages and logs ("hidapi", "socket /tmp/x", "demo").
  [[nodiscard]] virtual QString Name() const = 0;
  // False when the platform's HID layer could not be started (no device can ever be found then):
  // a fault of its own, not "no device connected".
  [[nodiscard]] virtual bool Started() const { return true; }
  // Whether other processes can reach the same devices, so that driving one takes its lock
  // (DeviceLock). A device that lives inside this process (the demo, a test's) needs none.
  [[nodiscard]] virtual bool SharedWithOtherProcesses() const { return true; }
  // The name the unit at `info` is locked by (DeviceLock): the same in every process on this
  // machine, whatever its environment, and unchanged while the unit stays plugged in, whatever else
  // comes and goes. Never the serial number, which two units may share. This default names it by
  // where it hangs (its path where the platform tells no location), under the backend's name.
  [[nodiscard]] virtual QString LockName(const HidDeviceInfo& info) const {
    return Name() + QLatin1Char(' ') + (info.location.isEmpty() ? info.path : info.location);
  }
};

}  // namespace quorvin
