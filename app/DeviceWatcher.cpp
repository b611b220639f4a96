#include "app/DeviceWatcher.h"

#include "ops/Operations.h"

namespace quorvin {

bool DeviceWatcher::PollTick() {
  if (m_deviceConnected) return true;
  const bool found = m_link.FindHidDevice();
  TellDiscoveryFault(m_link, m_feedback, m_lang);
  if (found) {
    m_deviceConnected = true;
    return true;
  }
  m_deviceConnected = false;
  m_link.CloseHidDevice();
  return false;
}

bool DeviceWatcher::WatchTick() {
  const auto devices = m_link.Backend().Enumerate();
  m_attached = ChooseRepeater(devices, std::nullopt).attached;
  const bool present = !m_attached.empty();
  // The first look only learns what is there: a device present at start has not "arrived".
  const bool arrived = m_watchPrimed && present && !m_wasPresent;
  const bool removed = m_watchPrimed && !present && m_wasPresent;
  m_watchPrimed = true;
  m_wasPresent = present;
  if (arrived) m_feedback.DebugLine(QStringLiteral("HID Insert !"));
  if (removed) OnDeviceRemoved();
  return removed;
}

void DeviceWatcher::OnUsbCheckBoxClicked(bool checked) {
  if (!checked) return;
  const bool found = m_link.FindHidDevice();
  TellDiscoveryFault(m_link, m_feedback, m_lang);
  if (!found) m_feedback.MessageBox(m_lang.Text(QT_TRANSLATE_NOOP("quorvin", "No device connected to PC !")));
}

}  // namespace quorvin
