#pragma once
// The window's view of the repeater coming and going: the poll timer's discovery until it is
// found, the device watcher that notices its arrival ("HID Insert !") and removal, and the "USB
// Operation" check box. The link itself only opens, reads and writes; this decides when to look.

#include <vector>

#include "link/DeviceSelector.h"
#include "link/HidLink.h"
#include "ops/Feedback.h"
#include "ops/Language.h"

namespace quorvin {

class DeviceWatcher {
 public:
  DeviceWatcher(HidLink& link, Feedback& feedback) : m_link(link), m_feedback(feedback) {}
  // The language of the boxes it shows (a discovery fault, no device for the check box).
  void SetLanguage(const Language& lang) { m_lang = lang; }

  // Poll timer tick (every 1000 ms while armed). Answers true when the timer should stop.
  bool PollTick();
  // Device watcher tick: notices arrival and removal of the repeater. Answers true when the device
  // went away, so the caller restarts the poll timer.
  bool WatchTick();
  // Check box "USB Operation" was clicked; `checked` is its new state.
  void OnUsbCheckBoxClicked(bool checked);
  // A removal was noticed: polling starts again.
  void OnDeviceRemoved() { m_deviceConnected = false; }

  [[nodiscard]] bool DeviceConnected() const { return m_deviceConnected; }
  // The repeaters the last device watcher tick saw, identified; the window's status strip names
  // the one in use and warns when there are several.
  [[nodiscard]] const std::vector<AttachedRepeater>& Attached() const { return m_attached; }

 private:
  HidLink& m_link;
  Feedback& m_feedback;
  Language m_lang;
  bool m_deviceConnected = false;
  bool m_wasPresent = false;  // what the device watcher saw last
  bool m_watchPrimed = false;
  std::vector<AttachedRepeater> m_attached;
};

}  // namespace quorvin
