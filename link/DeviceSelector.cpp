#include "link/DeviceSelector.h"

#include <QHash>

#include "link/HidLink.h"

namespace quorvin {

std::optional<DeviceSelector> ParseSelector(const QString& text, QString* error) {
  auto refuse = [error](const QString& why) -> std::optional<DeviceSelector> {
    if (error) *error = why;
    return std::nullopt;
  };
  const QString t = text.trimmed();
  if (t.isEmpty()) return refuse(QStringLiteral("an empty device selector names no repeater"));
  if (t.startsWith(QLatin1String("sn:"))) {
    if (t.size() == 3) return refuse(QStringLiteral("sn: needs the serial number after it"));
    return DeviceSelector{DeviceSelector::Kind::Serial, t.mid(3)};
  }
  for (const char* prefix : {"usb:", "sim:"}) {
    if (!t.startsWith(QLatin1String(prefix))) continue;
    if (t.size() == 4) return refuse(QStringLiteral("%1 needs a location after it").arg(QLatin1String(prefix)));
    return DeviceSelector{DeviceSelector::Kind::Location, t};
  }
  // Anything else is a system path; "hidraw3" alone is short for the node under /dev.
  if (t.startsWith(QLatin1String("hidraw"))) return DeviceSelector{DeviceSelector::Kind::Path, "/dev/" + t};
  return DeviceSelector{DeviceSelector::Kind::Path, t};
}

bool Matches(const DeviceSelector& selector, const HidDeviceInfo& info) {
  switch (selector.kind) {
    case DeviceSelector::Kind::Serial:
      return !info.serial.isEmpty() && info.serial == selector.value;
    case DeviceSelector::Kind::Location:
      return !info.location.isEmpty() && info.location == selector.value;
    case DeviceSelector::Kind::Path:
      return info.path == selector.value;
  }
  return false;
}

std::vector<AttachedRepeater> IdentifyRepeaters(const std::vector<HidDeviceInfo>& repeaters) {
  QHash<QString, int> serials;
  for (const auto& r : repeaters)
    if (!r.serial.isEmpty()) ++serials[r.serial];
  std::vector<AttachedRepeater> out;
  out.reserve(repeaters.size());
  for (const auto& r : repeaters) {
    AttachedRepeater a{r, {}, false};
    a.duplicateSerial = !r.serial.isEmpty() && serials.value(r.serial) > 1;
    if (!r.serial.isEmpty() && !a.duplicateSerial)
      a.identity = QStringLiteral("sn:") + r.serial;
    else if (!r.location.isEmpty())
      a.identity = r.location;
    else
      a.identity = r.path;  // neither told: the path is all there is
    out.push_back(std::move(a));
  }
  return out;
}

DeviceChoice ChooseRepeater(const std::vector<HidDeviceInfo>& interfaces,
                            const std::optional<DeviceSelector>& selector) {
  std::vector<HidDeviceInfo> repeaters;
  for (const auto& info : interfaces)
    if (HidLink::IsRepeater(info)) repeaters.push_back(info);
  DeviceChoice c;
  c.attached = IdentifyRepeaters(repeaters);
  if (!selector) {
    c.candidates = c.attached;
  } else {
    for (const auto& a : c.attached)
      if (Matches(*selector, a.info)) c.candidates.push_back(a);
  }
  if (c.candidates.size() == 1) {
    c.result = DeviceChoice::Result::Chosen;
    c.chosen = c.candidates.front();
  } else if (c.candidates.empty()) {
    c.result = selector ? DeviceChoice::Result::NoMatch : DeviceChoice::Result::NoneAttached;
  } else {
    c.result = DeviceChoice::Result::Several;
  }
  return c;
}

}  // namespace quorvin
