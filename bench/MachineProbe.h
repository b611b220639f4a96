#pragma once
// Tells the machine's stalls apart from the tool's: a thread that does nothing but sleep 1 ms at
// a time notes how far it overslept. When it stalled as long as the window's event loop, at the
// same moment, the machine stopped running us; the tool did not.

#include "bench/StallLog.h"

#include <atomic>
#include <cstdint>
#include <thread>

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
  // The longest a 1 ms sleep took since the last Reset, in ms.
  [[nodiscard]] double WorstMs() const { return static_cast<double>(m_worstNs.load()) / 1e6; }
  // When (steady clock) the worst sleep ended.
  [[nodiscard]] std::int64_t WorstAtNs() const { return m_worstAtNs.load(); }
  // Every sleep that took 3 ms or more, since the last Reset.
  [[nodiscard]] std::vector<Stall> Stalls() const { return m_stalls.Stalls(); }

 private:
  void Run();

  std::atomic<bool> m_stop{false};
  std::atomic<std::int64_t> m_worstNs{0};
  std::atomic<std::int64_t> m_worstAtNs{0};
  StallLog m_stalls{3'000'000};
  std::thread m_thread;
};

}  // namespace quorvin::bench
