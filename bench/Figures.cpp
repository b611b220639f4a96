#include <QFile>
#include <QRandomGenerator>
#include <cstdio>

#include "bench/Bench.h"

namespace quorvin::bench {

void Figures::Print(const char* name, double value, int decimals) {
  std::printf("%s=%.*f\n", name, decimals, value);
  std::fflush(stdout);
}

void Figures::Print(const char* name, qint64 value) {
  std::printf("%s=%lld\n", name, static_cast<long long>(value));
  std::fflush(stdout);
}

void Figures::Missed(const QString& why) {
  m_missed = true;
  std::fprintf(stderr, "bench: TARGET MISSED: %s\n", qPrintable(why));
}

void Figures::Failed(const QString& why) {
  m_failed = true;
  std::fprintf(stderr, "bench: NOT MEASURED: %s\n", qPrintable(why));
}

bool WritePattern(const QString& path, qint64 bytes, quint32 seed) {
  QFile file(path);
  if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate)) return false;
  QRandomGenerator random(seed);
  QByteArray block(64 * 1024, Qt::Uninitialized);
  for (qint64 left = bytes; left > 0;) {
    const qint64 n = std::min<qint64>(left, block.size());
    random.fillRange(reinterpret_cast<quint32*>(block.data()), block.size() / 4);
    if (file.write(block.constData(), n) != n) return false;
    left -= n;
  }
  return file.flush();
}

}  // namespace quorvin::bench
