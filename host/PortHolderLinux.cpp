#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <cerrno>

#include "host/PortHolder.h"

namespace quorvin {

namespace {

QString ProcessName(qint64 pid) {
  QFile comm(QStringLiteral("/proc/%1/comm").arg(pid));
  QString name;
  if (comm.open(QIODevice::ReadOnly)) name = QString::fromLocal8Bit(comm.readAll()).trimmed();
  if (name.isEmpty()) name = QStringLiteral("?");
  return QStringLiteral("%1 (pid %2)").arg(name).arg(pid);
}

bool Alive(qint64 pid) { return pid > 0 && (::kill(static_cast<pid_t>(pid), 0) == 0 || errno == EPERM); }

// A UUCP-style lock file, as Qt's serial port and most terminal programs leave: its first line is
// the holder's pid.
qint64 LockHolder(const QString& location) {
  // Named after the port's name below /dev with '/' turned into '_' (/dev/pts/3: LCK..pts_3).
  QString port = location;
  if (port.startsWith(QLatin1String("/dev/"))) port = port.mid(5);
  const QString name = QStringLiteral("LCK..") + port.replace(QLatin1Char('/'), QLatin1Char('_'));
  for (const char* folder : {"/run/lock", "/var/lock", "/tmp", "/var/tmp"}) {
    QFile lock(QString::fromLatin1(folder) + QLatin1Char('/') + name);
    if (!lock.open(QIODevice::ReadOnly)) continue;
    bool ok = false;
    const qint64 pid = QString::fromLatin1(lock.readLine()).trimmed().toLongLong(&ok);
    if (ok && pid != ::getpid() && Alive(pid)) return pid;
  }
  return 0;
}

// Another process with the device open, found through its descriptors; only those this user may
// look at are seen, which is every one that matters to an ordinary user.
qint64 OpenHolder(const QString& location) {
  const QString target = QFileInfo(location).canonicalFilePath();
  if (target.isEmpty()) return 0;
  const auto pids = QDir(QStringLiteral("/proc")).entryList(QDir::Dirs | QDir::NoDotAndDotDot);
  for (const QString& entry : pids) {
    bool ok = false;
    const qint64 pid = entry.toLongLong(&ok);
    if (!ok || pid == ::getpid()) continue;
    const QDir fds(QStringLiteral("/proc/%1/fd").arg(pid));
    for (const QString& fd : fds.entryList(QDir::System | QDir::NoDotAndDotDot)) {
      if (QFileInfo(fds.filePath(fd)).symLinkTarget() == target) return pid;
    }
  }
  return 0;
}

}  // namespace

PortHolder FindPortHolder(const QString& location) {
  PortHolder holder;
  qint64 pid = LockHolder(location);
  if (pid == 0) pid = OpenHolder(location);
  if (pid != 0) {
    holder.busy = true;
    holder.who = ProcessName(pid);
    return holder;
  }
  // Held exclusively by a process we cannot see: the open itself says so.
  const int fd = ::open(QFile::encodeName(location).constData(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
  if (fd >= 0) {
    ::close(fd);
  } else if (errno == EBUSY) {
    holder.busy = true;
  }
  return holder;
}

}  // namespace quorvin
