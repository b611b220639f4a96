#pragma once
// Which of several attached repeaters a command means. A selector names one by where it hangs
// ("usb:1-2.3", a simulator unit "sim:3"), by its serial number ("sn:QV0002") or by its system
// path ("/dev/hidraw3"). Each attached repeater also gets an identity, the name the technician
// sees and the per-device lock is keyed by: its serial number when that tells it apart from every
// other attached one, else its location. Pure: no system calls.

#include <QString>
#include <optional>
#include <vector>

#include "link/HidBackend.h"

namespace quorvin {

struct DeviceSelector {
  enum class Kind { Location, Serial, Path };
  Kind kind = Kind::Path;
  QString value;  // "usb:1-2.3" and "sim:3" keep their prefix: a location carries it
};

// Null, with the reason in `error` (English, for the caller to show), when the text names nothing.
[[nodiscard]] std::optional<DeviceSelector> ParseSelector(const QString& text, QString* error = nullptr);
[[nodiscard]] bool Matches(const DeviceSelector& selector, const HidDeviceInfo& info);

struct AttachedRepeater {
  HidDeviceInfo info;
  QString identity;              // "sn:QV0001", "usb:1-2.3", else the path
  bool duplicateSerial = false;  // its serial number is shared with another attached one
};

// The identities of `repeaters` (already filtered to the repeater's ids), in their order.
[[nodiscard]] std::vector<AttachedRepeater> IdentifyRepeaters(const std::vector<HidDeviceInfo>& repeaters);

// Which attached repeater a command drives.
struct DeviceChoice {
  enum class Result {
    Chosen,        // `chosen` is the one: the selector's match, or the only one attached
    NoneAttached,  // no selector and nothing attached: the link tells the usual "no device"
    NoMatch,       // the selector matches none of those attached
    Several,       // several attached and no selector, or a selector matching several (a shared serial)
  };
  Result result = Result::NoneAttached;
  AttachedRepeater chosen;
  std::vector<AttachedRepeater> attached;    // every attached repeater, identified
  std::vector<AttachedRepeater> candidates;  // on Several, the ones it could have been
};

// `interfaces` as the backend enumerated them (other devices included); no selector: none given.
[[nodiscard]] DeviceChoice ChooseRepeater(const std::vector<HidDeviceInfo>& interfaces,
                                          const std::optional<DeviceSelector>& selector);

}  // namespace quorvin
