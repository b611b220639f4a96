#include "support/Files.h"

#include <QFile>

namespace quorvin::test {

QByteArray Pattern(qsizetype n, int seed) {
  QByteArray bytes(n, Qt::Uninitialized);
  // Each byte from a hash of its offset and the seed (a counting pattern repeats every 256 bytes,
  // and with it whole packets).
  for (qsizetype i = 0; i < n; ++i) {
    quint32 x = static_cast<quint32>(i) * 0x9E3779B1u ^ static_cast<quint32>(seed) * 0x85EBCA77u;
    x ^= x >> 16;
    x *= 0x7FEB352Du;
    x ^= x >> 15;
    x *= 0x846CA68Bu;
    x ^= x >> 16;
    bytes[i] = static_cast<char>(x & 0xFF);
  }
  return bytes;
}

bool WriteFile(const QString& path, const QByteArray& bytes) {
  QFile f(path);
  return f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size();
}

QByteArray ReadFile(const QString& path) {
  QFile f(path);
  return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

}  // namespace quorvin::test
