#include "front/FrequencyInput.h"

#include <QRegularExpression>

#include "ops/Feedback.h"
#include "ops/Operations.h"

namespace quorvin {

std::optional<qint32> ParseFrequency(const QString& text, const Language& lang, QString* prompt) {
  bool ok = false;
  const QString digits = text.trimmed();
  const qlonglong value = digits.toLongLong(&ok, 10);
  // A whole number too long for any integer type is still a whole number, just out of range.
  static const QRegularExpression kWhole(QStringLiteral("^[+-]?[0-9]+$"));
  const bool whole = ok || kWhole.match(digits).hasMatch();
  if (!whole) {
    if (prompt) *prompt = lang.Text(QT_TRANSLATE_NOOP("quorvin", "Please enter an integer."));
    return std::nullopt;
  }
  if (!ok || value < kMinFrequency || value > kMaxFrequency) {
    if (prompt)
      *prompt = lang.Text(QT_TRANSLATE_NOOP("quorvin", "Please enter an integer between %1 and %2."))
                    .arg(kMinFrequency)
                    .arg(kMaxFrequency);
    return std::nullopt;
  }
  return static_cast<qint32>(value);
}

}  // namespace quorvin
