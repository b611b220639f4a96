#include <unistd.h>

#include "cli/Terminal.h"

namespace quorvin::cli {

bool StandardErrorIsTerminal() { return ::isatty(STDERR_FILENO) == 1; }

bool StandardErrorRedrawsInPlace() { return StandardErrorIsTerminal(); }

void PrepareConsoleOutput() {}

}  // namespace quorvin::cli
