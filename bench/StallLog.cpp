#include "bench/StallLog.h"

#include <algorithm>

namespace quorvin::bench {

void StallLog::Note(const Stall& stall) {
  if (stall.endNs - stall.beginNs < m_keepNs) return;
  std::lock_guard lock(m_mutex);
  m_stalls.push_back(stall);
}

void StallLog::Clear() {
  std::lock_guard lock(m_mutex);
  m_stalls.clear();
}

std::vector<Stall> StallLog::Stalls() const {
  std::lock_guard lock(m_mutex);
  return m_stalls;
}

std::int64_t StallShare::OwnNs() const {
  const std::int64_t length = stall.endNs - stall.beginNs;
  return std::max<std::int64_t>(length - std::max(stall.waitNs, stoppedNs), 0);
}

StallShare ShareOf(const Stall& own, const std::vector<Stall>& machine) {
  StallShare share{own};
  for (const Stall& m : machine) {
    const std::int64_t from = std::max(own.beginNs, m.beginNs);
    const std::int64_t to = std::min(own.endNs, m.endNs);
    if (to > from) share.stoppedNs += to - from;  // a sleeping thread's stalls never overlap each other
  }
  return share;
}

StallShare LongestOwnStall(const std::vector<Stall>& own, const std::vector<Stall>& machine) {
  StallShare longest;
  for (const Stall& s : own) {
    const StallShare share = ShareOf(s, machine);
    if (share.OwnNs() >= longest.OwnNs()) longest = share;
  }
  return longest;
}

}  // namespace quorvin::bench
