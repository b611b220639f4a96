#pragma once
// What quorvinctl needs to know of the terminal it runs in; one file per platform.

namespace quorvin::cli {

// Whether standard error is a terminal: progress is redrawn in place there, and written as plain
// lines otherwise.
[[nodiscard]] bool StandardErrorIsTerminal();

}  // namespace quorvin::cli
