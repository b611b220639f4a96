#include "bench/ProcessStats.h"

#include <QFile>
#include <sys/resource.h>

namespace quorvin::bench {

namespace {
qint64 StatusKb(const char* field) {
  QFile status(QStringLiteral("/proc/self/status"));
  if (!status.open(QIODevice::ReadOnly)) return -1;
  const QByteArray key = QByteArray(field) + ':';
  for (const QByteArray& line : status.readAll().split('\n')) {
    if (!line.startsWith(key)) continue;
    bool ok = false;
    const qint64 kb = line.mid(key.size()).trimmed().split(' ').value(0).toLongLong(&ok);
    return ok ? kb : -1;
  }
  return -1;
}
}  // namespace

qint64 ProcessCpuUs() {
  rusage usage{};
  if (::getrusage(RUSAGE_SELF, &usage) != 0) return -1;
  const auto us = [](const timeval& tv) { return qint64{tv.tv_sec} * 1'000'000 + tv.tv_usec; };
  return us(usage.ru_utime) + us(usage.ru_stime);
}

qint64 ResidentKb() { return StatusKb("VmRSS"); }
qint64 PeakResidentKb() { return StatusKb("VmHWM"); }

bool ResetPeakResident() {
  // Writing 5 to clear_refs sets VmHWM back to the present VmRSS (Linux 4.0 and later).
  QFile refs(QStringLiteral("/proc/self/clear_refs"));
  return refs.open(QIODevice::WriteOnly) && refs.write("5") == 1;
}

}  // namespace quorvin::bench
