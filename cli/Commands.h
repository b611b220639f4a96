#pragma once

#include "cli/CliOptions.h"

#include <atomic>

namespace quorvin::cli {

// Runs the parsed command; answers the exit status.
[[nodiscard]] int RunCommand(const CliOptions& options, bool english, std::atomic<bool>& interrupted);

}  // namespace quorvin::cli
