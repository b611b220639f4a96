#pragma once
// Stalls noted as time intervals, so the window's stalls can be set against the machine's: the
// part of a window stall during which a thread doing nothing but sleep was not run either is the
// machine's, not the tool's. Thread-safe; stalls are rare, so a lock costs nothing that matters.

#include <cstdint>
#include <mutex>
#include <vector>

namespace quorvin::bench {

struct Stall {
  std::int64_t beginNs;
  std::int64_t endNs;
};

class StallLog {
 public:
  // Stalls shorter than keepNs are not kept.
  explicit StallLog(std::int64_t keepNs) : m_keepNs(keepNs) {}

  void Note(std::int64_t beginNs, std::int64_t endNs);
  void Clear();
  [[nodiscard]] std::vector<Stall> Stalls() const;

 private:
  std::int64_t m_keepNs;
  mutable std::mutex m_mutex;
  std::vector<Stall> m_stalls;
};

// The longest of `own` less whatever of it `machine` covers, in ms.
[[nodiscard]] double LongestUnexplainedMs(const std::vector<Stall>& own, const std::vector<Stall>& machine);

}  // namespace quorvin::bench
