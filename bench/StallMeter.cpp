#include "bench/StallMeter.h"

#include <algorithm>

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
  m_maxNs = std::max(m_maxNs, m_since.nsecsElapsed());
  m_since.restart();
}

}  // namespace quorvin::bench
