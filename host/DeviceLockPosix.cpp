#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QByteArray>
#include <QFile>
#include <cerrno>
#include <csignal>
#include <cstring>

#include "host/DeviceLock.h"

namespace quorvin {

namespace {

QString SystemText(int error) { return QString::fromLocal8Bit(std::strerror(error)); }

// A folder every user may make files in and nobody may take another's away from: root's, world-
// writable with the sticky bit. Judged by its mode, not by access(): root may write anywhere, and
// root must still land on the same folder as everybody else.
bool SharedStickyFolder(const char* path) {
  struct stat st {};
  return ::stat(path, &st) == 0 && S_ISDIR(st.st_mode) && st.st_uid == 0 && (st.st_mode & S_IWOTH) &&
         (st.st_mode & S_ISVTX);
}

// The pid the holder left, when that process still runs; 0 when there is none or it is gone (a
// file left by a holder that crashed, then locked read-only by another user who could not write).
qint64 LivingHolder(int fd) {
  char buf[32] = {};
  const ssize_t n = ::pread(fd, buf, sizeof buf - 1, 0);
  if (n <= 0) return 0;
  bool ok = false;
  const qint64 pid = QByteArray(buf, n).trimmed().toLongLong(&ok);
  if (!ok || pid <= 0) return 0;
  return ::kill(static_cast<pid_t>(pid), 0) == 0 || errno == EPERM ? pid : 0;
}

bool SameFile(const QByteArray& path, int fd) {
  struct stat byPath {};
  struct stat byFd {};
  return ::stat(path.constData(), &byPath) == 0 && ::fstat(fd, &byFd) == 0 && byPath.st_dev == byFd.st_dev &&
         byPath.st_ino == byFd.st_ino;
}

}  // namespace

QString DeviceLock::LockFolder() {
  // /run/lock is the system's place for them; a machine without it still has /tmp. Either way every
  // process on the machine picks the same one.
  for (const char* folder : {"/run/lock", "/var/lock"})
    if (SharedStickyFolder(folder)) return QString::fromLatin1(folder);
  return QStringLiteral("/tmp");
}

LockResult DeviceLock::TryAcquire(const QString& name, qint64& holderPid, QString& detail) {
  Release();
  holderPid = 0;
  const QString path = LockPath(name);
  const QByteArray native = QFile::encodeName(path);
  constexpr int kFlags = O_NOFOLLOW | O_CLOEXEC | O_NONBLOCK;
  // A few rounds: a file can be made or taken away by another process between any two steps.
  for (int round = 0; round < 8; ++round) {
    bool created = false;
    int fd = ::open(native.constData(), O_RDWR | kFlags);
    // Another user's lock file: reading is all a lock needs.
    if (fd < 0 && errno == EACCES) fd = ::open(native.constData(), O_RDONLY | kFlags);
    if (fd < 0 && errno == ENOENT) {
      // Made exclusively: a file someone else makes at the same moment is theirs, and opened anew.
      fd = ::open(native.constData(), O_RDWR | O_CREAT | O_EXCL | kFlags, 0644);
      if (fd < 0 && errno == EEXIST) continue;
      created = fd >= 0;
      if (created) (void)::fchmod(fd, 0644);  // readable by every user, whatever the umask
    }
    if (fd < 0) {
      detail = QStringLiteral("cannot open %1: %2").arg(path, SystemText(errno));
      return LockResult::Failed;
    }
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
      detail = QStringLiteral("%1 is not a regular file").arg(path);
      ::close(fd);
      return LockResult::Failed;
    }
    int rc = 0;
    do {
      rc = ::flock(fd, LOCK_EX | LOCK_NB);
    } while (rc != 0 && errno == EINTR);
    if (rc != 0) {
      const int err = errno;
      if (err == EWOULDBLOCK) holderPid = LivingHolder(fd);
      ::close(fd);
      if (err == EWOULDBLOCK) return LockResult::Busy;
      detail = QStringLiteral("cannot lock %1: %2").arg(path, SystemText(err));
      return LockResult::Failed;
    }
    // Its maker may have taken it away between our open and our lock: this one guards nothing then.
    if (!SameFile(native, fd)) {
      ::close(fd);
      continue;
    }
    // The pid only names the holder; the lock holds without it, so a failed write costs nothing.
    const QByteArray pid = QByteArray::number(static_cast<qint64>(::getpid())) + '\n';
    if (::ftruncate(fd, 0) == 0) {
      [[maybe_unused]] const ssize_t n = ::pwrite(fd, pid.constData(), static_cast<std::size_t>(pid.size()), 0);
    }
    m_handle = fd;
    m_created = created;
    m_path = path;
    return LockResult::Acquired;
  }
  detail = QStringLiteral("%1 keeps being made and taken away by other processes").arg(path);
  return LockResult::Failed;
}

void DeviceLock::Release() {
  if (m_handle == kNone) return;
  // A file this process made goes while it is still locked, so nothing is left behind; anyone who
  // opened it meanwhile sees it is gone once they hold it, and opens the path anew. A file someone
  // else made stays theirs.
  if (m_created) (void)::unlink(QFile::encodeName(m_path).constData());
  ::close(static_cast<int>(m_handle));
  m_handle = kNone;
  m_created = false;
}

DeviceLock::~DeviceLock() { Release(); }

}  // namespace quorvin
