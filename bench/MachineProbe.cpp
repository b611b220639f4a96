#include "bench/MachineProbe.h"

#include <unistd.h>

#include <chrono>

#include "bench/ProcessStats.h"
#include "bench/SteadyTime.h"

namespace quorvin::bench {

MachineProbe::MachineProbe() : m_thread([this] { Run(); }) {}

MachineProbe::~MachineProbe() {
  m_stop = true;
  m_thread.join();
}

qint64 MachineProbe::OwnCpuUs() const { return ThreadCpuUs(m_tid.load()); }

void MachineProbe::Run() {
  m_tid = static_cast<int>(::gettid());
  std::int64_t last = SteadyNs();
  while (!m_stop) {
    std::this_thread::sleep_for(std::chrono::milliseconds(kSleepMs));
    const std::int64_t now = SteadyNs();
    // Only what went past the sleep itself is a stall.
    m_stalls.Note({last + std::int64_t{kSleepMs} * 1'000'000, now});
    if (now - last > m_worstNs) {
      m_worstNs = now - last;
      m_worstAtNs = now;
    }
    last = now;
  }
}

}  // namespace quorvin::bench
