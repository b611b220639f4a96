#include "bench/MachineProbe.h"

#include "bench/SteadyTime.h"

#include <chrono>

namespace quorvin::bench {

MachineProbe::MachineProbe() : m_thread([this] { Run(); }) {}

MachineProbe::~MachineProbe() {
  m_stop = true;
  m_thread.join();
}

void MachineProbe::Run() {
  std::int64_t last = SteadyNs();
  while (!m_stop) {
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
    const std::int64_t now = SteadyNs();
    m_stalls.Note(last, now);
    if (now - last > m_worstNs) {
      m_worstNs = now - last;
      m_worstAtNs = now;
    }
    last = now;
  }
}

}  // namespace quorvin::bench
