#include "sim/SimLoop.h"

#include <algorithm>
#include <cerrno>

namespace quorvin {

bool SimLoop::Run(int stopFd) {
  std::vector<pollfd> fds;
  std::vector<std::size_t> firsts;
  for (;;) {
    fds.assign(1, pollfd{stopFd, POLLIN, 0});
    firsts.clear();
    for (auto& t : m_transports) {
      firsts.push_back(fds.size());
      t->CollectPollFds(fds);
    }
    const qint64 now = m_clock.NowMs();
    qint64 wait = 1000;  // nothing due: look again now and then anyway
    for (auto& t : m_transports)
      if (const auto due = t->NextWakeMs()) wait = std::min(wait, std::max<qint64>(*due - now, 0));
    const int n = ::poll(fds.data(), fds.size(), static_cast<int>(wait));
    if (n < 0 && errno != EINTR) return false;
    if (n < 0)
      for (auto& f : fds) f.revents = 0;  // interrupted: nothing to report, but time may be due
    if (fds[0].revents != 0) return true;
    const qint64 after = m_clock.NowMs();
    for (std::size_t i = 0; i < m_transports.size(); ++i) {
      const std::size_t end = i + 1 < firsts.size() ? firsts[i + 1] : fds.size();
      m_transports[i]->Service(std::span<const pollfd>(fds.data() + firsts[i], end - firsts[i]), after);
    }
  }
}

}  // namespace quorvin
