#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <cerrno>
#include <climits>
#include <cstring>

#include "host/FileSystem.h"

namespace quorvin::fs {

PathState Inspect(const QString& path) {
  PathState state;
  struct stat st {};
  if (::stat(QFile::encodeName(path).constData(), &st) != 0) return state;
  state.exists = true;
  state.regular = S_ISREG(st.st_mode);
  state.mode = st.st_mode & 07777;
  state.uid = st.st_uid;
  state.gid = st.st_gid;
  return state;
}

bool NameFits(const QString& path) {
  const QByteArray native = QFile::encodeName(path);
  if (native.size() >= PATH_MAX) return false;
  const QByteArray name = QFile::encodeName(QFileInfo(path).fileName());
  const QByteArray folder = QFile::encodeName(QFileInfo(path).absolutePath());
  long max = ::pathconf(folder.constData(), _PC_NAME_MAX);
  if (max <= 0) max = NAME_MAX;
  return name.size() <= max;
}

bool SyncToDisk(int fd, QString* why) {
  if (::fsync(fd) == 0) return true;
  if (why) *why = QString::fromLocal8Bit(std::strerror(errno));
  return false;
}

void TakeOverOwnerAndMode(int fd, const PathState& was) {
  if (!was.exists) return;
  // Set-id bits are not carried over: a backup file has no business being executable as another.
  (void)::fchmod(fd, static_cast<mode_t>(was.mode & 0777));
  if (::fchown(fd, static_cast<uid_t>(was.uid), static_cast<gid_t>(was.gid)) != 0)
    (void)::fchown(fd, static_cast<uid_t>(-1), static_cast<gid_t>(was.gid));  // a group we belong to
}

void SyncFolderOf(const QString& path) {
  const QByteArray folder = QFile::encodeName(QFileInfo(path).absolutePath());
  const int fd = ::open(folder.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return;
  (void)::fsync(fd);
  ::close(fd);
}

bool MakeFolders(const QString& path, QString* why) {
  // Qt's mkpath gives no reason; each folder is made here so that the first one that cannot be
  // names itself and the system's words.
  const QString absolute = QDir::cleanPath(QFileInfo(path).absoluteFilePath());
  QString at;
  for (const QString& part : absolute.split(QLatin1Char('/'), Qt::SkipEmptyParts)) {
    at += QLatin1Char('/') + part;
    const QByteArray native = QFile::encodeName(at);
    if (::mkdir(native.constData(), 0755) == 0) continue;
    const int error = errno;
    struct stat st {};
    if (::stat(native.constData(), &st) == 0 && S_ISDIR(st.st_mode)) continue;
    if (why)
      *why = at + QStringLiteral(": ") + QString::fromLocal8Bit(std::strerror(error == EEXIST ? ENOTDIR : error));
    return false;
  }
  return true;
}

AppendFault AppendLine(const QString& path, const QByteArray& line, QString* why) {
  const auto fail = [why](int error) {
    if (why) *why = QString::fromLocal8Bit(std::strerror(error));
    return AppendFault::System;
  };
  const QByteArray native = QFile::encodeName(path);
  // Looked at before the open, so that no device is ever opened; the open itself does not wait
  // (a FIFO without a reader would hold it for ever), and what it opened is looked at again.
  struct stat st {};
  if (::stat(native.constData(), &st) == 0 && !S_ISREG(st.st_mode)) return AppendFault::NotRegular;
  constexpr int kFlags = O_APPEND | O_CREAT | O_CLOEXEC | O_NOCTTY | O_NONBLOCK;
  // Read access too, to see whether the file ends with a newline; a file we may only write is
  // still appended to.
  int fd = ::open(native.constData(), O_RDWR | kFlags, 0644);
  const bool readable = fd >= 0;
  if (fd < 0 && errno == EACCES) fd = ::open(native.constData(), O_WRONLY | kFlags, 0644);
  if (fd < 0) return errno == ENXIO ? AppendFault::NotRegular : fail(errno);
  const auto closeWith = [fd](AppendFault fault) {
    ::close(fd);
    return fault;
  };
  if (::fstat(fd, &st) != 0) return closeWith(fail(errno));
  if (!S_ISREG(st.st_mode)) return closeWith(AppendFault::NotRegular);
  QByteArray bytes = line;
  char last = '\n';
  if (readable && st.st_size > 0 && ::pread(fd, &last, 1, st.st_size - 1) == 1 && last != '\n') bytes.prepend('\n');
  // One write(): O_APPEND places it whole at the end; a short one is a failure, never resumed,
  // since a second write could land after another process's line.
  ssize_t n = -1;
  do {
    n = ::write(fd, bytes.constData(), static_cast<size_t>(bytes.size()));
  } while (n < 0 && errno == EINTR);
  if (n != static_cast<ssize_t>(bytes.size())) {
    const int error = n < 0 ? errno : ENOSPC;
    if (n > 0) {
      // The part that went out would glue the next line to it: the file goes back to where this
      // write began, which the offset after it tells even when others appended before it.
      const off_t end = ::lseek(fd, 0, SEEK_CUR);
      const off_t start = end >= n ? end - n : st.st_size;
      if (::ftruncate(fd, start) != 0) {
        const int cut = errno;
        if (why)
          *why = QString::fromLocal8Bit(std::strerror(error)) +
                 QStringLiteral("; the partial line could not be cut off: ") +
                 QString::fromLocal8Bit(std::strerror(cut));
        return closeWith(AppendFault::System);
      }
    }
    return closeWith(fail(error));
  }
  if (::fsync(fd) != 0) return closeWith(fail(errno));
  return ::close(fd) == 0 ? AppendFault::None : fail(errno);
}

}  // namespace quorvin::fs
