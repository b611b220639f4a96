#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QByteArray>
#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <cerrno>
#include <cstring>

#include "link/DeviceLock.h"

namespace quorvin {

namespace {
// $XDG_RUNTIME_DIR/quorvin, else a folder of this user's own under /tmp. A folder someone else
// made (or a link planted there) is not used: the lock would then be theirs to hold or break.
QString LockFolder() {
  const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
  if (!runtime.isEmpty() && QDir(runtime).exists()) return runtime + QStringLiteral("/quorvin");
  return QStringLiteral("/tmp/quorvin-%1").arg(::getuid());
}

bool OwnFolder(const QByteArray& path, QString& detail) {
  if (::mkdir(path.constData(), 0700) != 0 && errno != EEXIST) {
    detail = QStringLiteral("cannot create %1: %2")
                 .arg(QFile::decodeName(path), QString::fromLocal8Bit(std::strerror(errno)));
    return false;
  }
  struct stat st {};
  if (::lstat(path.constData(), &st) != 0 || !S_ISDIR(st.st_mode) || st.st_uid != ::getuid()) {
    detail = QStringLiteral("%1 is not a folder of this user's").arg(QFile::decodeName(path));
    return false;
  }
  return true;
}

qint64 ReadPid(int fd) {
  char buf[32] = {};
  const ssize_t n = ::pread(fd, buf, sizeof buf - 1, 0);
  if (n <= 0) return 0;
  bool ok = false;
  const qint64 pid = QByteArray(buf, n).trimmed().toLongLong(&ok);
  return ok && pid > 0 ? pid : 0;
}
}  // namespace

QString DeviceLock::LockPath(const QString& identity) {
  // Only letters, digits, '-' and '.' stay; anything else (':' and '/' among them) becomes '_', and
  // the name is capped, so an identity never reaches outside the folder.
  QString name;
  for (const QChar ch : identity)
    name += (ch.isLetterOrNumber() && ch.unicode() < 128) || ch == QLatin1Char('-') || ch == QLatin1Char('.')
                ? ch
                : QLatin1Char('_');
  if (name.startsWith(QLatin1Char('.'))) name.prepend(QLatin1Char('_'));
  // Readable for whoever looks in the folder, the hash keeps two long keys with one start apart.
  const QByteArray hash = QCryptographicHash::hash(identity.toUtf8(), QCryptographicHash::Sha1).toHex().left(12);
  return LockFolder() + QLatin1Char('/') + name.right(60) + QLatin1Char('-') + QString::fromLatin1(hash) +
         QStringLiteral(".lock");
}

LockResult DeviceLock::TryAcquire(const QString& identity, qint64& holderPid, QString& detail) {
  Release();
  holderPid = 0;
  const QString path = LockPath(identity);
  if (!OwnFolder(QFile::encodeName(LockFolder()), detail)) return LockResult::Failed;
  const int fd = ::open(QFile::encodeName(path).constData(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
  if (fd < 0) {
    detail = QStringLiteral("cannot open %1: %2").arg(path, QString::fromLocal8Bit(std::strerror(errno)));
    return LockResult::Failed;
  }
  int rc = 0;
  do {
    rc = ::flock(fd, LOCK_EX | LOCK_NB);
  } while (rc != 0 && errno == EINTR);
  if (rc != 0) {
    const int err = errno;
    if (err == EWOULDBLOCK)
      holderPid = ReadPid(fd);
    else
      detail = QStringLiteral("cannot lock %1: %2").arg(path, QString::fromLocal8Bit(std::strerror(err)));
    ::close(fd);
    return err == EWOULDBLOCK ? LockResult::Busy : LockResult::Failed;
  }
  // The pid is only there to name the holder; the lock holds without it, so a failed write is not
  // a reason to give up the lock.
  const QByteArray pid = QByteArray::number(static_cast<qint64>(::getpid())) + '\n';
  if (::ftruncate(fd, 0) == 0) {
    [[maybe_unused]] const ssize_t n = ::pwrite(fd, pid.constData(), static_cast<std::size_t>(pid.size()), 0);
  }
  m_handle = fd;
  return LockResult::Acquired;
}

void DeviceLock::Release() {
  if (m_handle == kNone) return;
  // The file stays: removing it would let a third process lock a new file while a second one
  // still waits on the old one.
  ::close(static_cast<int>(m_handle));
  m_handle = kNone;
}

DeviceLock::~DeviceLock() { Release(); }

}  // namespace quorvin
