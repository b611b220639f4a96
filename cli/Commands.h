#pragma once

#include <atomic>

#include "cli/CliOptions.h"
#include "ops/Language.h"

namespace quorvin::cli {

// A command line ParseCli refused: the error and the usage on standard error, or with --json among
// the global options one object on standard output. Answers the exit status.
[[nodiscard]] int ReportUsageError(const CliOptions& refused);
// --help: the usage text, or with --json one object holding it.
[[nodiscard]] int ShowHelp(bool json);

// Runs the parsed command; answers the exit status.
[[nodiscard]] int RunCommand(const CliOptions& options, const Language& lang, std::atomic<bool>& interrupted);

}  // namespace quorvin::cli
