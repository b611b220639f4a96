#include "app/UnitWatcher.h"

#include "link/SerialPortList.h"

namespace quorvin {

namespace {
constexpr int kPortsEvery = 4;  // serial ports change less often and cost more to list
}  // namespace

DiscoveryFault FaultOf(bool started, const std::vector<HidDeviceInfo>& interfaces) {
  if (!started) return DiscoveryFault::LayerUnavailable;
  for (const HidDeviceInfo& info : interfaces) {
    if (!info.attributesOk) return DiscoveryFault::AttributeError;
    if (info.path.isEmpty()) return DiscoveryFault::PathError;
  }
  return DiscoveryFault::None;
}

UnitWatcher::UnitWatcher(HidBackend& backend, std::function<void(const Sight&)> seen, int intervalMs)
    : m_backend(backend), m_seen(std::move(seen)), m_intervalMs(intervalMs) {}

UnitWatcher::~UnitWatcher() { Stop(); }

void UnitWatcher::Start() {
  if (m_thread.joinable()) return;
  m_stop = false;
  m_thread = std::thread([this] { Loop(); });
}

void UnitWatcher::Stop() {
  {
    std::lock_guard lock(m_mutex);
    m_stop = true;
  }
  m_wake.notify_all();
  if (m_thread.joinable()) m_thread.join();
}

void UnitWatcher::LookNow() {
  {
    std::lock_guard lock(m_mutex);
    m_lookNow = true;
  }
  m_wake.notify_all();
}

void UnitWatcher::Loop() {
  for (int round = 0;; ++round) {
    Sight sight;
    const bool started = m_backend.Started();
    const std::vector<HidDeviceInfo> interfaces = started ? m_backend.Enumerate() : std::vector<HidDeviceInfo>{};
    sight.fault = FaultOf(started, interfaces);
    sight.units = ChooseRepeater(interfaces, std::nullopt).attached;
    if (round % kPortsEvery == 0) {
      QStringList names;
      for (const SerialPortInfo& port : AvailableSerialPorts()) names << port.name;
      sight.ports = names;
    }
    // Handed to the window's thread; a watcher destroyed meanwhile takes the call with it.
    QMetaObject::invokeMethod(
        this, [this, sight] { m_seen(sight); }, Qt::QueuedConnection);
    std::unique_lock lock(m_mutex);
    m_wake.wait_for(lock, std::chrono::milliseconds(m_intervalMs), [this] { return m_stop || m_lookNow; });
    if (m_stop) return;
    m_lookNow = false;
  }
}

}  // namespace quorvin
