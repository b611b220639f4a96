#include "ops/VersionText.h"

#include <QStringDecoder>

namespace quorvin {

QString DecodeVersion(const QByteArray& raw) {
  // Stateless, so a half character at the end is an error rather than silently held back.
  QStringDecoder gbk("GBK", QStringDecoder::Flag::Stateless);
  if (gbk.isValid()) {
    QString text = gbk.decode(raw);
    if (!gbk.hasError()) return text;
  }
  return QString::fromLatin1(raw);
}

}  // namespace quorvin
