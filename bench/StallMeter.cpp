#include "bench/StallMeter.h"

#include "bench/SteadyTime.h"

namespace quorvin::bench {

StallMeter::StallMeter() {
  m_timer.setTimerType(Qt::PreciseTimer);
  m_timer.setInterval(kTickMs);
  connect(&m_timer, &QTimer::timeout, this, &StallMeter::Tick);
}

void StallMeter::Start() {
  m_since.start();
  m_timer.start();
}

void StallMeter::Stop() {
  Tick();
  m_timer.stop();
}

void StallMeter::Tick() {
  const qint64 gap = m_since.nsecsElapsed();
  if (gap > m_maxNs) {
    m_maxNs = gap;
    m_maxEndNs = SteadyNs();
  }
  m_since.restart();
}

}  // namespace quorvin::bench
