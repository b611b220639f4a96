#pragma once
// What quorvinctl's command line asks for, once parsed against its grammar (cli/Grammar.h):
//   quorvinctl [OPTION ...] COMMAND [ARGUMENT] [SWITCH ...]

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <optional>
#include <vector>

#include "cli/ExitStatus.h"

namespace quorvin::cli {

struct Command;

struct CliOptions {
  std::optional<QString> language;  // --lang: "zh" or "en"; unset: the locale decides
  QString port;                     // empty: USB link
  QString baud = QStringLiteral("115200");
  std::optional<QString> device;  // --device SELECTOR: which repeater; unset: $QUORVIN_DEVICE, else the only one
  bool waitLock = false;          // --wait-lock: wait while another process drives the repeater
  bool json = false;
  bool verbose = false;
  bool help = false;
  bool toolVersion = false;  // --version: this program's own version, not the device's
  QString record;            // --record FILE
  QString report;            // --report: the station's report file
  bool askId = false;        // --ask-id: the station asks for each unit's id
  bool verify = false;       // backup download ... --verify
  bool snapshot = false;     // upgrade, backup download, init-buttons, frequency set ... --snapshot
  bool force = false;        // restore ... --force
  QString since;             // history --since DATE
  QString checkFile;         // doctor --file FILE
  bool probe = false;        // devices --probe
  QStringList command;       // the command's words and its argument, without options and switches
  // The command they name; unset on --help or when the line names none. A refused line may name one
  // too: its usage is what the refusal shows.
  const Command* what = nullptr;
  // Why the line is refused; empty when it is not. A refused line still tells `json` (wherever --json
  // stands) and `command`, so that a script asking for --json gets its object even when the rest of
  // the line is wrong.
  QString error;
  // On a refused line: what was probably meant ("frequency get", "--verify"), and the commands whose
  // usage lines answer it (the one named, the near misses, the ones a misplaced switch goes with).
  QStringList nearMisses;
  std::vector<const Command*> usageOf;
  // The FILE argument as the system handed it over, before Qt decoded it; empty when not known.
  QByteArray fileArgBytes;
  // The first option (--report, --since, ...) whose value was not valid UTF-8 as handed over: Qt
  // would have read it as another text. Empty when there is none; the run refuses the line.
  QString notUtf8Option;
};

// Parses argv (without the program name); `raw`, when given, holds the same arguments as the
// system handed them over, for telling values that are not valid UTF-8.
[[nodiscard]] CliOptions ParseCli(const QStringList& args, const QList<QByteArray>& raw = {});

}  // namespace quorvin::cli
