#pragma once
// Reading a frequency typed by the user: the window's field and quorvinctl's argument share the
// same rule and the same prompts.

#include <QString>
#include <optional>

#include "ops/Language.h"

namespace quorvin {

// The value in Hz, or nothing with `prompt` set to the text to show ("not an integer", or "outside
// 300000000..900000000", naming both bounds).
[[nodiscard]] std::optional<qint32> ParseFrequency(const QString& text, const Language& lang, QString* prompt);

}  // namespace quorvin
