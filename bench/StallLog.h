#pragma once
// Stalls noted as time intervals, so the window's stalls can be set against the machine's: the
// part of a window stall during which the GUI thread was waiting for a CPU, or during which a
// thread doing nothing but sleep was not run either, is the machine's, not the tool's.
// Thread-safe; the lock is taken once per stall at most.

#include <cstdint>
#include <mutex>
#include <vector>

namespace quorvin::bench {

struct Stall {
  std::int64_t beginNs = 0;
  std::int64_t endNs = 0;
  std::int64_t runNs = 0;   // of it, the stalled thread ran (did work) this long
  std::int64_t waitNs = 0;  // and was ready to run but waited for a CPU this long
};

class StallLog {
 public:
  // Stalls shorter than keepNs are not kept.
  explicit StallLog(std::int64_t keepNs) : m_keepNs(keepNs) {}

  void Note(const Stall& stall);
  void Clear();
  [[nodiscard]] std::vector<Stall> Stalls() const;

 private:
  std::int64_t m_keepNs;
  mutable std::mutex m_mutex;
  std::vector<Stall> m_stalls;
};

// How much of a stall was whose.
struct StallShare {
  Stall stall;
  std::int64_t stoppedNs = 0;  // time a machine stall (the probe's) covers
  // The stall less the machine's part: the longer of the wait for a CPU and the time the probe
  // was stopped too (the two may be the same time, so they are not added).
  [[nodiscard]] std::int64_t OwnNs() const;
};

// The share of the machine's stalls in one stall of ours.
[[nodiscard]] StallShare ShareOf(const Stall& own, const std::vector<Stall>& machine);
// The stall of `own` with the longest part that is not the machine's.
[[nodiscard]] StallShare LongestOwnStall(const std::vector<Stall>& own, const std::vector<Stall>& machine);

}  // namespace quorvin::bench
