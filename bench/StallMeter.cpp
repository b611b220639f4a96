#include "bench/StallMeter.h"

#include <fcntl.h>
#include <unistd.h>

#include "bench/ProcessStats.h"
#include "bench/SteadyTime.h"

namespace quorvin::bench {

StallMeter::StallMeter() {
  m_timer.setTimerType(Qt::PreciseTimer);
  m_timer.setInterval(kTickMs);
  connect(&m_timer, &QTimer::timeout, this, &StallMeter::Tick);
}

StallMeter::~StallMeter() {
  if (m_schedFd >= 0) ::close(m_schedFd);
}

void StallMeter::Start() {
  m_maxNs = 0;
  m_stalls.Clear();
  // Started on the GUI thread: thread-self is that thread.
  if (m_schedFd < 0) m_schedFd = ::open("/proc/thread-self/schedstat", O_RDONLY | O_CLOEXEC);
  (void)ReadSchedule(m_schedFd, m_lastRunNs, m_lastWaitNs);
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
  qint64 run = m_lastRunNs;
  qint64 wait = m_lastWaitNs;
  (void)ReadSchedule(m_schedFd, run, wait);
  m_stalls.Note({m_lastTickNs, now, run - m_lastRunNs, wait - m_lastWaitNs});
  m_lastTickNs = now;
  m_lastRunNs = run;
  m_lastWaitNs = wait;
  m_since.restart();
}

}  // namespace quorvin::bench
