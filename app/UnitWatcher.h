#pragma once
// Looks for repeaters and serial ports in the background, twice a second, and hands what it saw
// to the window on its own thread. Enumeration can take a moment (a virtual unit's hello, a slow
// bus), so it never runs on the window's thread; it may run while an operation drives a unit,
// which only enumerates beside it (the backend takes the calls one at a time).

#include <QObject>
#include <QStringList>
#include <atomic>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <optional>
#include <thread>
#include <vector>

#include "link/DeviceSelector.h"
#include "link/HidLink.h"

namespace quorvin {

struct Sight {
  std::vector<AttachedRepeater> units;
  DiscoveryFault fault = DiscoveryFault::None;  // what keeps units from being found at all
  std::optional<QStringList> ports;             // the serial ports, every few looks
};

class UnitWatcher : public QObject {
  Q_OBJECT
 public:
  // `seen` is called on the thread that made the watcher, after every look.
  UnitWatcher(HidBackend& backend, std::function<void(const Sight&)> seen, int intervalMs = 500);
  ~UnitWatcher() override;
  void Start();
  void Stop();
  // Looks again at once (after an operation, after the link was changed).
  void LookNow();

 private:
  void Loop();

  HidBackend& m_backend;
  std::function<void(const Sight&)> m_seen;
  int m_intervalMs;
  std::thread m_thread;
  std::mutex m_mutex;
  std::condition_variable m_wake;
  bool m_stop = false;
  bool m_lookNow = false;
};

// The discovery fault an enumeration shows: a HID layer that never started, an interface whose
// ids or path the system would not give. None when the repeaters can be found.
[[nodiscard]] DiscoveryFault FaultOf(bool started, const std::vector<HidDeviceInfo>& interfaces);

}  // namespace quorvin
