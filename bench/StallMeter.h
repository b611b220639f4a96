#pragma once
// How long the GUI thread's event loop went without running: a 10 ms timer in that thread notes
// the longest time between two of its ticks. The figure includes the timer's own 10 ms period, so
// it errs on the long side. Each tick also reads the kernel's account of the thread (time run,
// time waited for a CPU), so a long gap can be told apart into work and waiting.

#include <QElapsedTimer>
#include <QObject>
#include <QTimer>

#include "bench/StallLog.h"

namespace quorvin::bench {

class StallMeter final : public QObject {
 public:
  static constexpr int kTickMs = 10;

  StallMeter();
  ~StallMeter() override;
  void Start();
  void Stop();
  [[nodiscard]] double MaxGapMs() const { return static_cast<double>(m_maxNs) / 1e6; }
  // When (steady clock, ns) the longest gap ended.
  [[nodiscard]] qint64 MaxGapEndNs() const { return m_maxEndNs; }
  // Every gap between ticks longer than 12 ms, with the thread's run and wait times in it.
  [[nodiscard]] std::vector<Stall> Stalls() const { return m_stalls.Stalls(); }

 private:
  void Tick();

  QTimer m_timer;
  QElapsedTimer m_since;
  qint64 m_maxNs = 0;
  qint64 m_maxEndNs = 0;
  qint64 m_lastTickNs = 0;
  qint64 m_lastRunNs = 0;
  qint64 m_lastWaitNs = 0;
  int m_schedFd = -1;  // the GUI thread's /proc schedstat, kept open: a tick only re-reads it
  StallLog m_stalls{12'000'000};
};

}  // namespace quorvin::bench
