#pragma once
// A clock on which every pause is over at once: time jumps by the pause instead of being slept.
// Everything else (the wire, the worker thread, the window's updates) runs for real. Used where
// only the memory of a long upload matters, not its 46 minutes of pauses.

#include <atomic>

#include "host/Clock.h"

namespace quorvin::bench {

class FastClock final : public Clock {
 public:
  qint64 NowMs() override { return m_real.NowMs() + m_skipped.load(); }
  void SleepMs(int ms) override {
    if (ms > 0) m_skipped += ms;
  }

 private:
  RealClock m_real;
  std::atomic<qint64> m_skipped{0};
};

}  // namespace quorvin::bench
