#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

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

bool AppendWhole(const QString& path, const QByteArray& bytes, QString* why) {
  const auto fail = [why] {
    if (why) *why = QString::fromLocal8Bit(std::strerror(errno));
    return false;
  };
  const int fd = ::open(QFile::encodeName(path).constData(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0644);
  if (fd < 0) return fail();
  // One write(): O_APPEND places it whole at the end; a short one is a failure, never resumed,
  // since a second write could land after another process's line.
  const ssize_t n = ::write(fd, bytes.constData(), static_cast<size_t>(bytes.size()));
  if (n != static_cast<ssize_t>(bytes.size())) {
    if (n >= 0) errno = ENOSPC;
    const bool r = fail();
    ::close(fd);
    return r;
  }
  if (::fsync(fd) != 0) {
    const bool r = fail();
    ::close(fd);
    return r;
  }
  return ::close(fd) == 0 || fail();
}

}  // namespace quorvin::fs
