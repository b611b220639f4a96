#pragma once
// How long the GUI thread's event loop went without running: a 10 ms timer in that thread notes
// the longest time between two of its ticks. The figure includes the timer's own 10 ms period, so
// it errs on the long side.

#include "bench/StallLog.h"

#include <QElapsedTimer>
#include <QObject>
#include <QTimer>

namespace quorvin::bench {

class StallMeter final : public QObject {
 public:
  static constexpr int kTickMs = 10;

  StallMeter();
  void Start();
  void Stop();
  [[nodiscard]] double MaxGapMs() const { return static_cast<double>(m_maxNs) / 1e6; }
  // When (steady clock, ns) the longest gap ended.
  [[nodiscard]] qint64 MaxGapEndNs() const { return m_maxEndNs; }
  // Every gap between ticks longer than 12 ms.
  [[nodiscard]] std::vector<Stall> Stalls() const { return m_stalls.Stalls(); }

 private:
  void Tick();

  QTimer m_timer;
  QElapsedTimer m_since;
  qint64 m_maxNs = 0;
  qint64 m_maxEndNs = 0;
  qint64 m_lastTickNs = 0;
  StallLog m_stalls{12'000'000};
};

}  // namespace quorvin::bench
