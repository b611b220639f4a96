#pragma once
// Text from the user's files (the history, a snapshot's unit and version) for one cell or one line
// of a view: control characters and other non-printables (a newline, an escape sequence, a
// bidirectional override) are written as \xHH or \u{HHHH} and a backslash is doubled, so a forged
// entry can neither draw lines of its own nor pass for another, and what is shown reads the same
// as quorvinctl history prints it (the same function).

#include <QString>

namespace quorvin {

// `doubleBackslash` false keeps backslashes as they are, for the tool's own texts (a Windows path
// in a log line), where no escape can be forged.
[[nodiscard]] QString PrintableText(const QString& text, bool doubleBackslash = true);

}  // namespace quorvin
