#pragma once
// The station on a terminal: one line per slot on standard error, redrawn in place on a terminal
// and as plain lines (on a change of step or state, and every few seconds while a step runs)
// otherwise. A unit's PASS or FAIL stays, on standard output (standard error with --json, whose
// standard output holds its one object).

#include <QHash>
#include <QString>
#include <cstdio>

#include "cli/station/Station.h"

namespace quorvin::cli {

class TerminalStationView final : public station::StationView {
 public:
  TerminalStationView(Language lang, bool tty, bool json) : m_lang(std::move(lang)), m_tty(tty), m_json(json) {}

  void Update(const std::vector<station::SlotView>& shown) override;
  void Event(const QString& line) override;
  void Prompt(const QString& text) override;

  // One slot's line, as shown.
  [[nodiscard]] QString Line(const station::SlotView& v) const;

 private:
  void Clear();

  Language m_lang;
  bool m_tty;
  bool m_json;
  int m_drawn = 0;  // lines of the block on the terminal now
  qint64 m_lastDraw = 0;
  QString m_prompt;
  QHash<QString, QString> m_lastPlain;     // slot -> the state and step last printed
  QHash<QString, qint64> m_lastPlainTime;  // slot -> when
};

// Waits at most `waitMs` for bytes on standard input and appends what came to `into`; End once the
// input is closed or cannot be read. One file per platform.
enum class StdinRead { Nothing, Data, End };
[[nodiscard]] StdinRead ReadStandardInput(QByteArray& into, int waitMs);

// Lines from standard input, read without blocking (the operator's barcode scanner).
class StdinLines final : public station::LineSource {
 public:
  Read Poll(QString& line, int waitMs) override;

 private:
  QByteArray m_buffer;
  bool m_end = false;
};

}  // namespace quorvin::cli
