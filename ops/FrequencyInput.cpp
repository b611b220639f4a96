#include "ops/FrequencyInput.h"

#include "link/Feedback.h"
#include "ops/UsbOps.h"

namespace quorvin {

std::optional<qint32> ParseFrequency(const QString& text, bool english, QString* prompt) {
  bool ok = false;
  const qlonglong value = text.trimmed().toLongLong(&ok, 10);
  if (!ok || value < std::numeric_limits<qint32>::min() || value > std::numeric_limits<qint32>::max()) {
    if (prompt) *prompt = Tr(english, "请输入一个整数。", "Please enter an integer.");
    return std::nullopt;
  }
  if (value < kMinFrequency || value > kMaxFrequency) {
    if (prompt)
      *prompt = Tr(english, "请输入一个介于 %1 和 %2 之间的整数。", "Please enter an integer between %1 and %2.")
                    .arg(kMinFrequency)
                    .arg(kMaxFrequency);
    return std::nullopt;
  }
  return static_cast<qint32>(value);
}

}  // namespace quorvin
