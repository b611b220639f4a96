#pragma once
// Reading a frequency typed by the user: the window's field and quorvinctl's argument share the
// same rule and the same prompts. A technician writes a frequency the way the label on the unit
// or the radio plan does: in Hz (433920000), kHz (433920 kHz) or MHz (433.92 MHz, 433.92MHz); it
// is taken when it comes to a whole number of hertz the device takes.

#include <QString>
#include <optional>

#include "ops/Language.h"

namespace quorvin {

// The value in Hz, or nothing with `prompt` set to the text to show: what the field takes, or the
// range, naming both bounds.
[[nodiscard]] std::optional<qint32> ParseFrequency(const QString& text, const Language& lang, QString* prompt);

// The value as the field shows it once read from the unit (in Hz, the device's own unit), and the
// same in MHz for a person to read beside it ("433.92 MHz").
[[nodiscard]] QString FrequencyFieldText(qint32 hz);
[[nodiscard]] QString FrequencyInMhz(qint32 hz);

}  // namespace quorvin
