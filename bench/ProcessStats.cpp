#include "bench/ProcessStats.h"

#include <sys/resource.h>
#include <unistd.h>

#include <QFile>

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

qint64 ThreadCpuUs(int tid) {
  QFile stat(QStringLiteral("/proc/self/task/%1/stat").arg(tid));
  if (tid <= 0 || !stat.open(QIODevice::ReadOnly)) return -1;
  const QByteArray line = stat.readAll();
  // The command name in parentheses may hold spaces: fields are counted after its closing one.
  const QList<QByteArray> f = line.mid(line.lastIndexOf(')') + 2).split(' ');
  if (f.size() < 13) return -1;
  const long ticks = ::sysconf(_SC_CLK_TCK);
  // utime and stime are fields 14 and 15 of the line, 12 and 13 after the name.
  return (f[11].toLongLong() + f[12].toLongLong()) * 1'000'000 / (ticks > 0 ? ticks : 100);
}

bool ReadSchedule(int schedstatFd, qint64& runNs, qint64& waitNs) {
  if (schedstatFd < 0) return false;
  char text[128];
  const ssize_t n = ::pread(schedstatFd, text, sizeof text - 1, 0);
  if (n <= 0) return false;
  const QList<QByteArray> f = QByteArray(text, n).trimmed().split(' ');
  if (f.size() < 2) return false;
  runNs = f[0].toLongLong();
  waitNs = f[1].toLongLong();
  return true;
}

qint64 ResidentKb() { return StatusKb("VmRSS"); }
qint64 PeakResidentKb() { return StatusKb("VmHWM"); }

bool ResetPeakResident() {
  // Writing 5 to clear_refs sets VmHWM back to the present VmRSS (Linux 4.0 and later).
  QFile refs(QStringLiteral("/proc/self/clear_refs"));
  return refs.open(QIODevice::WriteOnly) && refs.write("5") == 1;
}

}  // namespace quorvin::bench
