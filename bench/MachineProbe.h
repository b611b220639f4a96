#pragma once
// Tells the machine's stalls apart from the tool's: a thread that does nothing but sleep 5 ms at
// a time notes how long each sleep took. (Shorter sleeps would cost the process CPU that the
// CPU figures would then count: on a virtual machine every timer wake-up is dear.) When it stalled as long as the
// window's event loop, at the same moment, the machine stopped running us; the tool did not.

#include <QtGlobal>
#include <atomic>
#include <cstdint>
#include <thread>

#include "bench/StallLog.h"

namespace quorvin::bench {

class MachineProbe {
 public:
  MachineProbe();
  ~MachineProbe();
  MachineProbe(const MachineProbe&) = delete;
  MachineProbe& operator=(const MachineProbe&) = delete;

  // Forgets what was seen so far.
  void Reset() {
    m_worstNs = 0;
    m_stalls.Clear();
  }
  static constexpr int kSleepMs = 5;

  // The longest a sleep took since the last Reset, in ms.
  [[nodiscard]] double WorstMs() const { return static_cast<double>(m_worstNs.load()) / 1e6; }
  // When (steady clock) the worst sleep ended.
  [[nodiscard]] std::int64_t WorstAtNs() const { return m_worstAtNs.load(); }
  // The probe thread's own CPU time so far, in microseconds (-1 when the system does not say), so
  // that CPU figures of the process can leave it out.
  [[nodiscard]] qint64 OwnCpuUs() const;
  // Every time the thread went 3 ms or more past the end of a sleep, since the last Reset.
  [[nodiscard]] std::vector<Stall> Stalls() const { return m_stalls.Stalls(); }

 private:
  void Run();

  std::atomic<bool> m_stop{false};
  std::atomic<std::int64_t> m_worstNs{0};
  std::atomic<std::int64_t> m_worstAtNs{0};
  std::atomic<int> m_tid{0};
  StallLog m_stalls{3'000'000};
  std::thread m_thread;
};

}  // namespace quorvin::bench
