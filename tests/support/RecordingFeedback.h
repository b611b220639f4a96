#pragma once
// Feedback that writes what the user would see into a log of short lines, for tests to compare:
//   "box: TEXT", "progress: show", "progress: text TEXT", "progress: range N", "progress: pos N",
//   "progress: close".

#include <QStringList>
#include <ostream>

#include "ops/Feedback.h"

// Readable QString and QStringList values in test failure messages.
inline void PrintTo(const QString& s, std::ostream* os) { *os << '"' << s.toStdString() << '"'; }
inline void PrintTo(const QStringList& l, std::ostream* os) {
  *os << "{";
  for (const auto& s : l) *os << "\n  \"" << s.toStdString() << '"';
  *os << " }";
}

namespace quorvin::test {

class RecordingFeedback : public Feedback {
 public:
  QStringList log;
  int pumps = 0;
  bool cancel = false;
  // The user presses Cancel as soon as a progress text holding this is shown (empty: never).
  QString cancelOn;

  void MessageBox(const QString& text, MsgIcon) override { log << QStringLiteral("box: ") + text; }
  void ShowProgress() override {
    log << QStringLiteral("progress: show");
    m_pos = m_open ? m_pos : 0;
    m_open = true;
  }
  void SetProgressText(const QString& text) override {
    log << QStringLiteral("progress: text ") + text;
    if (!cancelOn.isEmpty() && text.contains(cancelOn)) cancel = true;
  }
  void SetProgressRange(int max) override { log << QStringLiteral("progress: range %1").arg(max); }
  void SetProgressPos(int pos) override {
    m_pos = pos;
    log << QStringLiteral("progress: pos %1").arg(pos);
  }
  int ProgressPos() override { return m_pos; }
  void CloseProgress() override {
    m_open = false;
    log << QStringLiteral("progress: close");
  }
  bool PumpMessages() override {
    ++pumps;
    return true;
  }
  void DebugLine(const QString& line) override { log << QStringLiteral("debug: ") + line; }
  bool CancelRequested() override { return cancel; }

  // The log without per-packet progress lines, which long transfers repeat thousands of times.
  [[nodiscard]] QStringList Boxes() const { return log.filter(QStringLiteral("box: ")); }

 private:
  bool m_open = false;
  int m_pos = 0;
};

}  // namespace quorvin::test
