#include "cli/TerminalFeedback.h"

#include <QDateTime>

namespace quorvin::cli {

namespace {
constexpr qint64 kRedrawMs = 100;      // terminal redraws
constexpr qint64 kPlainLineMs = 1000;  // plain lines when standard error is a file or a pipe

void Err(const QString& s) {
  const QByteArray b = s.toUtf8();
  std::fwrite(b.constData(), 1, static_cast<std::size_t>(b.size()), stderr);
  std::fflush(stderr);
}
}  // namespace

TerminalFeedback::TerminalFeedback(Options options, std::atomic<bool>& cancel, Clock& clock)
    : m_options(options), m_cancel(cancel), m_clock(clock) {}

void TerminalFeedback::EndLine() {
  if (m_lineDirty) Err(QStringLiteral("\n"));
  m_lineDirty = false;
}

void TerminalFeedback::MessageBox(const QString& text, MsgIcon) {
  m_messages << text;
  if (!m_options.printMessages) return;
  EndLine();
  // A box may hold several lines (the access hint, the port and the system's reason); a script
  // reads one line per message, so they are joined into one.
  QStringList parts;
  for (const QString& part : text.split(QLatin1Char('\n'))) {
    const QString trimmed = part.trimmed();
    if (!trimmed.isEmpty()) parts << trimmed;
  }
  const QByteArray b = (parts.join(QLatin1Char(' ')) + QLatin1Char('\n')).toUtf8();
  std::fwrite(b.constData(), 1, static_cast<std::size_t>(b.size()), stdout);
  std::fflush(stdout);
}

void TerminalFeedback::ShowProgress() {
  if (!m_open) {
    m_pos = 0;
    m_text.clear();
    m_startMs = m_clock.NowMs();
    m_startPos = 0;
  }
  m_open = true;
  m_max = 3;
}

void TerminalFeedback::SetProgressText(const QString& text) {
  m_text = text;
  Draw(false);
}

void TerminalFeedback::SetProgressRange(int max) {
  m_max = max;
  m_startMs = m_clock.NowMs();
  m_startPos = m_pos;
}

void TerminalFeedback::SetProgressPos(int pos) {
  m_pos = pos;
  Draw(false);
}

void TerminalFeedback::CloseProgress() {
  if (m_open) Draw(true);
  EndLine();
  m_open = false;
  m_lastPlain.clear();
}

void TerminalFeedback::Draw(bool force) {
  if (!m_open || m_text.isEmpty()) return;
  const qint64 now = m_clock.NowMs();
  if (!m_options.progressIsTty) {
    // Plain lines for logs: one a second, never the same twice, and the last one always.
    if (m_text == m_lastPlain) return;
    if (!force && m_lastDraw >= 0 && now - m_lastDraw < kPlainLineMs) return;
    m_lastDraw = now;
    m_lastPlain = m_text;
    Err(m_text + QLatin1Char('\n'));
    return;
  }
  if (!force && m_lastDraw >= 0 && now - m_lastDraw < kRedrawMs) return;
  m_lastDraw = now;
  QString line;
  if (m_max > 3 || m_pos > 0) {
    const int width = 24;
    const double frac = m_max > 0 ? qBound(0.0, double(m_pos) / m_max, 1.0) : 0.0;
    const int filled = int(frac * width);
    line = QStringLiteral("[%1%2] %3/%4")
               .arg(QString(filled, QLatin1Char('#')), QString(width - filled, QLatin1Char('.')))
               .arg(m_pos)
               .arg(m_max);
    const int done = m_pos - m_startPos;
    if (done > 0 && m_pos < m_max) {
      const qint64 left = (now - m_startMs) * (m_max - m_pos) / done / 1000;
      line += QStringLiteral(" ~%1:%2 left").arg(left / 60).arg(left % 60, 2, 10, QLatin1Char('0'));
    }
    line += QLatin1String("  ");
  }
  line += m_text;
  Err(QStringLiteral("\r\x1b[2K") + line);
  m_lineDirty = true;
}

void TerminalFeedback::DebugLine(const QString& line) {
  if (!m_options.verbose) return;
  EndLine();
  Err(line + QLatin1Char('\n'));
}

void TerminalFeedback::Trace(TraceDir dir, const std::uint8_t* bytes, std::size_t count) {
  if (!m_options.verbose) return;
  EndLine();
  const QByteArray hex = QByteArray(reinterpret_cast<const char*>(bytes), static_cast<qsizetype>(count)).toHex(' ');
  Err(QStringLiteral("%1 %2 %3\n")
          .arg(QDateTime::currentDateTime().toString(QStringLiteral("HH:mm:ss.zzz")),
               dir == TraceDir::Out ? QStringLiteral(">") : QStringLiteral("<"), QString::fromLatin1(hex)));
}

}  // namespace quorvin::cli
