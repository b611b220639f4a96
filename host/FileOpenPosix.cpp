#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

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

}  // namespace quorvin
