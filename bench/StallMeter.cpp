#include "bench/StallMeter.h"

#include "bench/SteadyTime.h"

namespace quorvin::bench {

StallMeter::StallMeter() {
  m_timer.setTimerType(Qt::PreciseTimer);
  m_timer.setInterval(kTickMs);
  connect(&m_timer, &QTimer::timeout, this, &StallMeter::Tick);
}

void StallMeter::Start() {
  m_maxNs = 0;
  m_stalls.Clear();
  m_lastTickNs = SteadyNs();
  m_since.start();
  m_timer.start();
}

void StallMeter::Stop() {
  Tick();
  m_timer.stop();
}

void StallMeter::Tick() {
  const qint64 gap = m_since.nsecsElapsed();
  const qint64 now = SteadyNs();
  if (gap > m_maxNs) {
    m_maxNs = gap;
    m_maxEndNs = now;
  }
  m_stalls.Note(m_lastTickNs, now);
  m_lastTickNs = now;
  m_since.restart();
}

}  // namespace quorvin::bench
