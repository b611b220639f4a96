#pragma once
// The terminal face of the Feedback seam: what the window would show in a box goes to standard
// output, one line each; progress goes to standard error, as a single redrawn line on a terminal
// and as plain lines otherwise; --verbose traces every report or frame with a timestamp.

#include <QStringList>
#include <atomic>
#include <cstdio>

#include "host/Clock.h"
#include "ops/Feedback.h"

namespace quorvin::cli {

class TerminalFeedback final : public Feedback {
 public:
  struct Options {
    bool printMessages = true;  // off with --json: the messages go into the JSON object instead
    bool verbose = false;
    bool progressIsTty = false;
  };
  TerminalFeedback(Options options, std::atomic<bool>& cancel, Clock& clock);

  void MessageBox(const QString& text, MsgIcon icon) override;
  void ShowProgress() override;
  void SetProgressText(const QString& text) override;
  void SetProgressRange(int max) override;
  void SetProgressPos(int pos) override;
  int ProgressPos() override { return m_pos; }
  void CloseProgress() override;
  void DebugLine(const QString& line) override;
  void Trace(TraceDir dir, const std::uint8_t* bytes, std::size_t count) override;
  bool CancelRequested() override { return m_cancel.load(); }
  // The Ctrl+C flag itself, for the station, which stops taking units on it.
  [[nodiscard]] std::atomic<bool>& CancelFlag() { return m_cancel; }

  // Prints a line of the command's own (a result, a usage error) like a message box text.
  void Say(const QString& text) { MessageBox(text, MsgIcon::None); }
  [[nodiscard]] const QStringList& Messages() const { return m_messages; }

 private:
  void Draw(bool force);
  void EndLine();

  Options m_options;
  std::atomic<bool>& m_cancel;
  Clock& m_clock;
  QStringList m_messages;
  QString m_text;
  int m_max = 3;
  int m_pos = 0;
  bool m_open = false;
  bool m_lineDirty = false;  // a progress line is drawn on the terminal without its newline
  qint64 m_lastDraw = -1;
  qint64 m_startMs = 0;  // when the position first moved, for the time-left estimate
  int m_startPos = 0;
  QString m_lastPlain;
};

}  // namespace quorvin::cli
