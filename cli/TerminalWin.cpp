#include <io.h>

#include <cstdio>

#include "cli/Terminal.h"

namespace quorvin::cli {

bool StandardErrorIsTerminal() { return ::_isatty(::_fileno(stderr)) != 0; }

}  // namespace quorvin::cli
