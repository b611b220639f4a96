#include "cli/StationView.h"

#include <QDateTime>

namespace quorvin::cli {

namespace {

using station::SlotView;
using State = SlotView::State;
constexpr qint64 kRedrawMs = 200;       // the block on a terminal
constexpr qint64 kPlainEveryMs = 5000;  // a running unit's plain line when nothing else changed

void Write(std::FILE* f, const QString& s) {
  const QByteArray b = s.toUtf8();
  std::fwrite(b.constData(), 1, static_cast<std::size_t>(b.size()), f);
  std::fflush(f);
}

qint64 NowMs() { return QDateTime::currentMSecsSinceEpoch(); }

QString Minutes(qint64 ms) {
  const qint64 s = (ms + 999) / 1000;
  return QStringLiteral("%1:%2").arg(s / 60).arg(s % 60, 2, 10, QLatin1Char('0'));
}

}  // namespace

QString TerminalStationView::Line(const SlotView& v) const {
  QString line = v.slot.leftJustified(10) + QLatin1Char(' ') + v.unit.leftJustified(10) + QLatin1Char(' ');
  switch (v.state) {
    case State::Waiting:
      return line + m_lang.Text(QT_TRANSLATE_NOOP("quorvin", "waiting for a unit"));
    case State::AwaitingId:
      return line + m_lang.Text(QT_TRANSLATE_NOOP("quorvin", "waiting for its id"));
    case State::Held:
      return line + m_lang.Text(QT_TRANSLATE_NOOP("quorvin", "held: %1")).arg(v.note);
    case State::Passed:
      return line + m_lang.Text(QT_TRANSLATE_NOOP("quorvin", "PASS, unplug it"));
    case State::Failed:
      return line + m_lang.Text(QT_TRANSLATE_NOOP("quorvin", "FAIL at %1, unplug it")).arg(v.note);
    case State::Skipped:
      return line + m_lang.Text(QT_TRANSLATE_NOOP("quorvin", "skipped: %1")).arg(v.note);
    case State::Running:
      break;
  }
  const station::UnitProgress& p = v.progress;
  line += QStringLiteral("%1 (%2/%3)").arg(p.step).arg(p.stepIndex).arg(p.stepCount);
  if (p.percent >= 0) line += QStringLiteral(" %1%").arg(p.percent, 3);
  line += QLatin1String("  ") + Minutes(v.elapsedMs);
  if (v.leftMs >= 0)
    line += QLatin1Char(' ') + m_lang.Text(QT_TRANSLATE_NOOP("quorvin", "~%1 left")).arg(Minutes(v.leftMs));
  return line;
}

void TerminalStationView::Clear() {
  if (!m_tty || m_drawn == 0) return;
  // Back to the block's first line, and everything below it erased.
  Write(stderr, QStringLiteral("\r\x1b[%1A\x1b[J").arg(m_drawn));
  m_drawn = 0;
}

void TerminalStationView::Update(const std::vector<SlotView>& shown) {
  const qint64 now = NowMs();
  if (m_tty) {
    if (now - m_lastDraw < kRedrawMs) return;
    m_lastDraw = now;
    QString block;
    for (const SlotView& v : shown) block += QStringLiteral("\x1b[2K") + Line(v).left(200) + QLatin1Char('\n');
    if (!m_prompt.isEmpty()) block += QStringLiteral("\x1b[2K") + m_prompt + QLatin1Char('\n');
    Clear();
    Write(stderr, block);
    m_drawn = static_cast<int>(shown.size()) + (m_prompt.isEmpty() ? 0 : 1);
    return;
  }
  for (const SlotView& v : shown) {
    // A plain line when the slot's state or step changes, and now and then while a step runs.
    const QString key =
        QString::number(int(v.state)) + v.unit + v.progress.step + QString::number(v.progress.stepIndex);
    const bool changed = m_lastPlain.value(v.slot) != key;
    if (!changed && (v.state != State::Running || now - m_lastPlainTime.value(v.slot) < kPlainEveryMs)) continue;
    m_lastPlain[v.slot] = key;
    m_lastPlainTime[v.slot] = now;
    Write(stderr, Line(v) + QLatin1Char('\n'));
  }
}

void TerminalStationView::Event(const QString& line) {
  Clear();
  m_lastDraw = 0;
  Write(m_json ? stderr : stdout, line + QLatin1Char('\n'));
}

void TerminalStationView::Prompt(const QString& text) {
  m_prompt = text;
  m_lastDraw = 0;
  if (!m_tty && !text.isEmpty()) Write(stderr, text + QLatin1Char('\n'));
}

StdinLines::Read StdinLines::Poll(QString& line, int waitMs) {
  for (;;) {
    if (const qsizetype nl = m_buffer.indexOf('\n'); nl >= 0) {
      line = QString::fromUtf8(m_buffer.left(nl)).remove(QLatin1Char('\r'));
      m_buffer.remove(0, nl + 1);
      return Read::Line;
    }
    if (m_end) {
      if (m_buffer.isEmpty()) return Read::End;
      line = QString::fromUtf8(m_buffer);  // a last line without its newline
      m_buffer.clear();
      return Read::Line;
    }
    switch (ReadStandardInput(m_buffer, waitMs)) {
      case StdinRead::Nothing:
        return Read::Nothing;
      case StdinRead::End:
        m_end = true;
        break;
      case StdinRead::Data:
        // A scanner sends short lines; endless input without a newline is not one, and is dropped.
        if (m_buffer.size() > 4096 && m_buffer.indexOf('\n') < 0) m_buffer.clear();
        waitMs = 0;  // what is already there is taken without waiting again
        break;
    }
  }
}

}  // namespace quorvin::cli
