#pragma once
// The system's own words for a Windows error code, for the Windows link files (built on Windows
// only, from WindowsErrorTextWin.cpp).

#include <QString>

namespace quorvin {

// FormatMessage's text for `code`, or "System error N" when the system has none.
[[nodiscard]] QString WindowsErrorText(unsigned long code);

}  // namespace quorvin
