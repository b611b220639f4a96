#pragma once
// The main loop of quorvin-sim: poll() over every transport, until the stop descriptor becomes
// readable (the signal handler writes to it).

#include <memory>
#include <vector>

#include "host/Clock.h"
#include "sim/SimTransport.h"

namespace quorvin {

class SimLoop {
 public:
  explicit SimLoop(Clock& clock) : m_clock(clock) {}
  void Add(std::unique_ptr<SimTransport> transport) { m_transports.push_back(std::move(transport)); }
  [[nodiscard]] const std::vector<std::unique_ptr<SimTransport>>& Transports() const { return m_transports; }
  // Runs until stopFd is readable. False when poll itself failed.
  bool Run(int stopFd);

 private:
  Clock& m_clock;
  std::vector<std::unique_ptr<SimTransport>> m_transports;
};

}  // namespace quorvin
