#include "protocol/VersionText.h"

#include <QStringDecoder>
#include <QStringEncoder>
#include <algorithm>

namespace quorvin {

QString DecodeVersion(const QByteArray& raw) {
  // Stateless, so a half character at the end is an error rather than silently held back. The
  // decoder may also swallow or replace a byte it has no character for without calling it an
  // error; only a text that encodes back to the very bytes received is taken as GBK.
  QStringDecoder gbk("GBK", QStringDecoder::Flag::Stateless);
  QStringEncoder back("GBK", QStringEncoder::Flag::Stateless);
  if (gbk.isValid() && back.isValid()) {
    const QString text = gbk.decode(raw);
    if (!gbk.hasError() && !text.contains(QChar::ReplacementCharacter)) {
      const QByteArray again = back.encode(text);
      if (!back.hasError() && again == raw) return text;
    }
  }
  return QString::fromLatin1(raw);
}

QString PrintableVersion(const QString& text) {
  QString shown;
  shown.reserve(text.size());
  for (const QChar c : text) {
    if (c.category() == QChar::Other_Control)
      shown += QStringLiteral("\\x") + QString::number(c.unicode(), 16).toUpper().rightJustified(2, QLatin1Char('0'));
    else
      shown += c;
  }
  return shown;
}

QString VersionFromPayload(std::span<const std::uint8_t> payload) {
  // The device pads with zeros: what it means ends at the first one.
  const auto end = std::find(payload.begin(), payload.end(), std::uint8_t{0});
  return PrintableVersion(DecodeVersion(
      QByteArray(reinterpret_cast<const char*>(payload.data()), static_cast<qsizetype>(end - payload.begin()))));
}

}  // namespace quorvin
