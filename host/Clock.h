#pragma once
// Time seam: every pause and time-out of the tool goes through a Clock, so tests run a 5000 ms
// time-out in no time on a VirtualClock while the fake device agrees on what "now" is.

#include <QtGlobal>
#include <atomic>

namespace quorvin {

// Milliseconds on the monotonic clock: for deadlines that neither a change of the wall clock nor a
// test's VirtualClock may move (the link's own waits for a connection or a report).
[[nodiscard]] qint64 MonoMs();

class Clock {
 public:
  virtual ~Clock() = default;
  [[nodiscard]] virtual qint64 NowMs() = 0;
  virtual void SleepMs(int ms) = 0;
};

// Monotonic wall time.
class RealClock final : public Clock {
 public:
  qint64 NowMs() override;
  void SleepMs(int ms) override;
};

// Time moves only when someone sleeps on it or advances it.
class VirtualClock final : public Clock {
 public:
  explicit VirtualClock(qint64 start = 0) : m_now(start) {}
  qint64 NowMs() override { return m_now.load(); }
  void SleepMs(int ms) override {
    if (ms > 0) m_now += ms;
  }
  void Advance(qint64 ms) { m_now += ms; }

 private:
  std::atomic<qint64> m_now;
};

}  // namespace quorvin
