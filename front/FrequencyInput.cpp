#include "front/FrequencyInput.h"

#include <QRegularExpression>

#include "ops/Operations.h"

namespace quorvin {

namespace {

// The number as hertz, exactly: digits before and after the point are scaled by the unit as
// text, so 433.92 MHz is 433920000 and never 433919999.99. Nothing when it is no number at all;
// `whole` false when it names a fraction of a hertz.
std::optional<qint64> Hertz(const QString& text, bool& whole) {
  static const QRegularExpression kForm(QStringLiteral("^([+-]?)([0-9]*)(?:\\.([0-9]*))?\\s*(hz|khz|mhz)?$"),
                                        QRegularExpression::CaseInsensitiveOption);
  const QRegularExpressionMatch m = kForm.match(text.trimmed());
  whole = true;
  if (!m.hasMatch() || (m.captured(2).isEmpty() && m.captured(3).isEmpty())) return std::nullopt;
  const QString unit = m.captured(4).toLower();
  const int scale = unit == QLatin1String("mhz") ? 6 : unit == QLatin1String("khz") ? 3 : 0;
  QString fraction = m.captured(3);
  while (fraction.endsWith(QLatin1Char('0'))) fraction.chop(1);
  if (fraction.size() > scale) whole = false;
  // Long enough to be out of range whatever it says: kept from overflowing.
  QString digits = m.captured(2) + fraction.leftJustified(scale, QLatin1Char('0'), true);
  while (digits.size() > 1 && digits.startsWith(QLatin1Char('0'))) digits.remove(0, 1);
  if (digits.size() > 12) return m.captured(1) == QLatin1String("-") ? -1 : qint64(1) << 40;
  const qint64 value = digits.isEmpty() ? 0 : digits.toLongLong();
  return m.captured(1) == QLatin1String("-") ? -value : value;
}

}  // namespace

std::optional<qint32> ParseFrequency(const QString& text, const Language& lang, QString* prompt) {
  bool whole = true;
  const std::optional<qint64> hz = Hertz(text, whole);
  if (!hz) {
    if (prompt)
      *prompt = lang.Text(QT_TRANSLATE_NOOP(
          "quorvin", "Please enter the frequency in Hz, kHz or MHz, for example 433920000, 433920 kHz or 433.92 MHz."));
    return std::nullopt;
  }
  if (!whole || *hz < kMinFrequency || *hz > kMaxFrequency) {
    if (prompt)
      *prompt = lang.Text(QT_TRANSLATE_NOOP("quorvin", "Please enter a whole number of Hz between %1 and %2."))
                    .arg(kMinFrequency)
                    .arg(kMaxFrequency);
    return std::nullopt;
  }
  return static_cast<qint32>(*hz);
}

QString FrequencyFieldText(qint32 hz) { return QString::number(hz); }

QString FrequencyInMhz(qint32 hz) {
  QString mhz = QString::number(hz / 1'000'000) + QLatin1Char('.') +
                QStringLiteral("%1").arg(qAbs(hz % 1'000'000), 6, 10, QLatin1Char('0'));
  while (mhz.endsWith(QLatin1Char('0'))) mhz.chop(1);
  if (mhz.endsWith(QLatin1Char('.'))) mhz.chop(1);
  return mhz + QStringLiteral(" MHz");
}

}  // namespace quorvin
