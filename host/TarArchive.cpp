#include "host/TarArchive.h"

#include <QDateTime>
#include <cstring>

namespace quorvin {

namespace {
constexpr int kBlock = 512;

// A zero-terminated octal field of `width` bytes.
void Octal(char* at, int width, qint64 value) {
  const QByteArray digits = QByteArray::number(value, 8).rightJustified(width - 1, '0');
  std::memcpy(at, digits.constData(), static_cast<std::size_t>(width - 1));
}
}  // namespace

void TarArchive::Add(const QString& name, const QByteArray& data) {
  char header[kBlock] = {};
  const QByteArray n = name.toUtf8().left(100);
  std::memcpy(header, n.constData(), static_cast<std::size_t>(n.size()));
  Octal(header + 100, 8, 0644);
  Octal(header + 108, 8, 0);
  Octal(header + 116, 8, 0);
  Octal(header + 124, 12, data.size());
  Octal(header + 136, 12, QDateTime::currentSecsSinceEpoch());
  header[156] = '0';  // a regular file
  std::memcpy(header + 257, "ustar", 6);
  std::memcpy(header + 263, "00", 2);
  // The checksum is taken with its own field as spaces.
  std::memset(header + 148, ' ', 8);
  unsigned sum = 0;
  for (char c : header) sum += static_cast<unsigned char>(c);
  Octal(header + 148, 7, sum);
  m_bytes.append(header, kBlock);
  m_bytes.append(data);
  m_bytes.append(QByteArray((kBlock - data.size() % kBlock) % kBlock, '\0'));
}

QByteArray TarArchive::Finish() const { return m_bytes + QByteArray(2 * kBlock, '\0'); }

}  // namespace quorvin
