#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "host/FileOpen.h"

namespace quorvin {

bool OpenForReading(QFile& file) {
  const QByteArray native = QFile::encodeName(file.fileName());
  const int fd = ::open(native.constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  struct stat st {};
  if (fd >= 0 && ::fstat(fd, &st) == 0 && !S_ISDIR(st.st_mode)) {
    // Reads block again as usual: a pipe's writer may still be on its way with the data.
    const int flags = ::fcntl(fd, F_GETFL);
    if (flags >= 0 && ::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK) == 0 &&
        file.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle))
      return true;
  }
  if (fd >= 0) ::close(fd);
  // Whatever failed (a missing file, a folder, no permission) fails the same way in a plain open,
  // at once, and leaves Qt's own words for it.
  return file.open(QIODevice::ReadOnly);
}

RegularOpen OpenRegularForReading(QFile& file, QString* why) {
  const QByteArray native = QFile::encodeName(file.fileName());
  const auto failed = [why](int error) {
    if (why) *why = QString::fromLocal8Bit(std::strerror(error));
    return error == ENOENT ? RegularOpen::Missing : RegularOpen::Failed;
  };
  // Looked at first, so that a device is never opened; what the open gave is looked at again.
  struct stat st {};
  if (::stat(native.constData(), &st) != 0) return failed(errno);
  if (!S_ISREG(st.st_mode)) return RegularOpen::NotRegular;
  const int fd = ::open(native.constData(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
  if (fd < 0) return failed(errno);
  if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
    ::close(fd);
    return RegularOpen::NotRegular;
  }
  const int flags = ::fcntl(fd, F_GETFL);
  if (flags >= 0) (void)::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK);
  if (!file.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
    ::close(fd);
    if (why) *why = file.errorString();
    return RegularOpen::Failed;
  }
  return RegularOpen::Opened;
}

}  // namespace quorvin
