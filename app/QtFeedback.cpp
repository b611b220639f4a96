#include "app/QtFeedback.h"

#include <QDebug>
#include <QMessageBox>
#include <QProgressBar>
#include <QThread>
#include <algorithm>

#include "app/MainWindow.h"
#include "app/ProgressPanel.h"

namespace quorvin {

QtFeedback::QtFeedback(MainWindow& window) : m_window(window) {
  m_flushTimer.setSingleShot(true);
  connect(&m_flushTimer, &QTimer::timeout, this, &QtFeedback::FlushPending);
  m_sinceFlush.start();
}

bool QtFeedback::OnGuiThread() const { return QThread::currentThread() == thread(); }

void QtFeedback::RunOnGui(const std::function<void()>& fn) {
  Pending before;
  {
    std::lock_guard lock(m_mutex);
    before = std::exchange(m_pending, Pending{});
  }
  auto job = [this, &before, &fn] {
    Apply(before);
    fn();
  };
  if (OnGuiThread()) {
    job();
  } else {
    QMetaObject::invokeMethod(this, job, Qt::BlockingQueuedConnection);
  }
}

void QtFeedback::Queue(const std::function<void(Pending&)>& update) {
  if (OnGuiThread()) {
    Pending now;
    update(now);
    Apply(now);
    return;
  }
  bool arm = false;
  {
    std::lock_guard lock(m_mutex);
    update(m_pending);
    arm = !std::exchange(m_flushQueued, true);
  }
  if (arm) QMetaObject::invokeMethod(this, &QtFeedback::ArmFlush, Qt::QueuedConnection);
}

void QtFeedback::ArmFlush() {
  const qint64 wait = kDisplayIntervalMs - m_sinceFlush.elapsed();
  m_flushTimer.start(static_cast<int>(std::max<qint64>(wait, 0)));
}

void QtFeedback::FlushPending() {
  Pending now;
  {
    std::lock_guard lock(m_mutex);
    now = std::exchange(m_pending, Pending{});
    m_flushQueued = false;
  }
  Apply(now);
}

void QtFeedback::Apply(const Pending& pending) {
  if (!pending.text && !pending.pos) return;
  if (pending.pos) m_window.SetProgressPos(*pending.pos);
  if (pending.text) m_window.SetProgressText(*pending.text);
  ++m_displayed;
  m_sinceFlush.restart();
}

void QtFeedback::TakeBarState() {
  std::lock_guard lock(m_mutex);
  m_max = m_window.Progress()->Bar()->maximum();
  m_pos = m_window.ProgressPos();
}

void QtFeedback::MessageBox(const QString& text, MsgIcon icon) {
  RunOnGui([this, &text, icon] { m_window.ShowBox(icon, text, {}); });
}

bool QtFeedback::CancelRequested() { return m_window.CancelFlag().load(); }

void QtFeedback::ShowProgress() {
  RunOnGui([this] {
    m_window.ShowProgress();
    TakeBarState();
  });
}

void QtFeedback::SetProgressText(const QString& text) {
  Queue([&text](Pending& p) { p.text = text; });
}

void QtFeedback::SetProgressRange(int max) {
  RunOnGui([this, max] {
    m_window.SetProgressRange(max);
    TakeBarState();
  });
}

void QtFeedback::SetProgressPos(int pos) {
  {
    std::lock_guard lock(m_mutex);
    m_pos = std::clamp(pos, 0, std::max(m_max, 0));
  }
  Queue([pos](Pending& p) { p.pos = pos; });
}

int QtFeedback::ProgressPos() {
  std::lock_guard lock(m_mutex);
  return m_pos;
}

void QtFeedback::CloseProgress() {
  RunOnGui([this] {
    m_window.CloseProgress();
    std::lock_guard lock(m_mutex);
    m_pos = 0;
    m_max = 3;
  });
}

bool QtFeedback::PumpMessages() {
  // The worker needs no pump: the GUI thread runs its own loop all along.
  return OnGuiThread() ? m_window.PumpMessages() : true;
}

void QtFeedback::DebugLine(const QString& line) { qInfo().noquote() << line; }

}  // namespace quorvin
