#pragma once
// quorvinctl's usage, drawn from its grammar: the whole of it for --help, and for a refused line
// only what answers it (the error, the usage line of the command concerned, a near miss).

#include <QJsonObject>
#include <QString>

#include "cli/CliOptions.h"
#include "cli/Grammar.h"

namespace quorvin::cli {

[[nodiscard]] QString UsageText();
// One command as written: "backup download FILE [--verify] [--snapshot]".
[[nodiscard]] QString CommandForm(const Command& c);
// Its usage line: "quorvinctl [options] backup download FILE [--verify] [--snapshot]".
[[nodiscard]] QString CommandUsage(const Command& c);

// The answer to a line ParseCli refused, as standard error shows it:
//   quorvinctl: bad command: frequency read
//   did you mean `frequency get`?
//   usage: quorvinctl [options] frequency get
//   see quorvinctl --help
[[nodiscard]] QString UsageErrorText(const CliOptions& refused);
// The same as --json's object: "error", and "usage" with the usage lines alone.
[[nodiscard]] QJsonObject UsageErrorJson(const CliOptions& refused);

// A refused line on standard error, or with --json (wherever it stands) one object on standard
// output. Answers the exit status.
[[nodiscard]] int ReportUsageError(const CliOptions& refused);
// --help: the usage text, or with --json one object holding it.
[[nodiscard]] int ShowHelp(bool json);

}  // namespace quorvin::cli
