#include "host/DeviceLock.h"

#include <QCryptographicHash>

namespace quorvin {

QString LockFileName(const QString& name) {
  QString safe;
  for (const QChar ch : name)
    safe += (ch.isLetterOrNumber() && ch.unicode() < 128) || ch == QLatin1Char('-') || ch == QLatin1Char('.')
                ? ch
                : QLatin1Char('_');
  const QByteArray hash = QCryptographicHash::hash(name.toUtf8(), QCryptographicHash::Sha1).toHex().left(12);
  // The fixed start keeps the name from being hidden (a leading dot) or mistaken for another tool's.
  return QStringLiteral("quorvin-") + safe.right(60) + QLatin1Char('-') + QString::fromLatin1(hash) +
         QStringLiteral(".lock");
}

QString DeviceLock::LockPath(const QString& name) { return LockFolder() + QLatin1Char('/') + LockFileName(name); }

}  // namespace quorvin
