#pragma once
// What quorvinctl needs to know of the terminal it runs in; one file per platform.

namespace quorvin::cli {

// Whether standard error is a terminal: progress is redrawn in place there, and written as plain
// lines otherwise.
[[nodiscard]] bool StandardErrorIsTerminal();
// Whether standard error is a terminal that moves its cursor on the standard escape sequences, so
// a block of lines (the station's slots) can be redrawn in place. Asking may switch them on (a
// Windows console takes them once asked to).
[[nodiscard]] bool StandardErrorRedrawsInPlace();
// Readies a console for the UTF-8 the programs write (Chinese texts, names of files); nothing where
// terminals take UTF-8 as it is. Output into files and pipes stays UTF-8 either way.
void PrepareConsoleOutput();

}  // namespace quorvin::cli
