#include "bench/StallLog.h"

#include <algorithm>

namespace quorvin::bench {

void StallLog::Note(std::int64_t beginNs, std::int64_t endNs) {
  if (endNs - beginNs < m_keepNs) return;
  std::lock_guard lock(m_mutex);
  m_stalls.push_back({beginNs, endNs});
}

void StallLog::Clear() {
  std::lock_guard lock(m_mutex);
  m_stalls.clear();
}

std::vector<Stall> StallLog::Stalls() const {
  std::lock_guard lock(m_mutex);
  return m_stalls;
}

double LongestUnexplainedMs(const std::vector<Stall>& own, const std::vector<Stall>& machine) {
  std::int64_t longest = 0;
  for (const Stall& s : own) {
    std::int64_t covered = 0;
    for (const Stall& m : machine) {
      const std::int64_t from = std::max(s.beginNs, m.beginNs);
      const std::int64_t to = std::min(s.endNs, m.endNs);
      if (to > from) covered += to - from;  // a sleeping thread's stalls never overlap each other
    }
    longest = std::max(longest, s.endNs - s.beginNs - std::min(covered, s.endNs - s.beginNs));
  }
  return static_cast<double>(longest) / 1e6;
}

}  // namespace quorvin::bench
