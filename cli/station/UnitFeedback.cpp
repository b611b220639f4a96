#include "cli/station/UnitFeedback.h"

#include <algorithm>

namespace quorvin::station {

void UnitFeedback::MessageBox(const QString& text, MsgIcon) {
  std::lock_guard lock(m_mutex);
  // A box may hold several lines (a hint under the message); the station shows one line a unit.
  m_boxes << text.simplified();
}

void UnitFeedback::ShowProgress() {
  std::lock_guard lock(m_mutex);
  m_max = 3;
}

void UnitFeedback::SetProgressText(const QString& text) {
  std::lock_guard lock(m_mutex);
  m_progress.text = text.simplified();
}

void UnitFeedback::SetProgressRange(int max) {
  std::lock_guard lock(m_mutex);
  m_max = max;
  m_startPos = m_pos;
  m_startMs = m_clock.NowMs();
}

void UnitFeedback::SetProgressPos(int pos) {
  std::lock_guard lock(m_mutex);
  m_pos = pos;
  // The short exchanges count 0..3 in steps that say nothing about time; only a real range does.
  if (m_max <= 3) return;
  m_progress.percent = static_cast<int>(std::clamp<qint64>(qint64(pos) * 100 / m_max, 0, 100));
  const int done = pos - m_startPos;
  if (done > 0) m_progress.stepLeftMs = (m_clock.NowMs() - m_startMs) * (m_max - pos) / done;
}

int UnitFeedback::ProgressPos() {
  std::lock_guard lock(m_mutex);
  return m_pos;
}

void UnitFeedback::CloseProgress() {}

void UnitFeedback::BeginStep(const QString& name, int index, int count) {
  std::lock_guard lock(m_mutex);
  m_progress = UnitProgress{name, index, count, {}, -1, -1};
  m_boxes.clear();
  m_max = 3;
  m_pos = 0;
  m_startPos = 0;
  m_startMs = m_clock.NowMs();
}

UnitProgress UnitFeedback::Snapshot() {
  std::lock_guard lock(m_mutex);
  return m_progress;
}

QString UnitFeedback::StepMessages() {
  std::lock_guard lock(m_mutex);
  return m_boxes.join(QLatin1Char(' '));
}

}  // namespace quorvin::station
