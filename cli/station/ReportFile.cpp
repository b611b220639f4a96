#include "cli/station/ReportFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QFile>
#include <cerrno>
#include <cstring>

#include "host/OutputFile.h"
#include "ops/FaultTexts.h"

namespace quorvin::station {

namespace {
QString SystemText(int error) { return QString::fromLocal8Bit(std::strerror(error)); }
}  // namespace

ReportFile::~ReportFile() {
  if (m_fd >= 0) ::close(m_fd);
}

bool ReportFile::Open(const QString& path, QString* why, const Language& lang) {
  const QByteArray name = QFile::encodeName(path);
  // Looked at first: a FIFO without a reader would fail the open below with "No such device or
  // address", which says nothing of what is wrong, and a device is never opened at all.
  struct stat st {};
  if (::stat(name.constData(), &st) == 0 && !S_ISREG(st.st_mode)) {
    if (why) *why = NotRegularFileText(lang);
    return false;
  }
  // O_NONBLOCK so that a FIFO put there meanwhile is turned away below instead of hanging the open.
  const int fd = ::open(name.constData(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC | O_NOCTTY | O_NONBLOCK, 0644);
  if (fd < 0) {
    if (why) *why = errno == ENXIO ? NotRegularFileText(lang) : SystemText(errno);
    return false;
  }
  if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
    if (why) *why = NotRegularFileText(lang);
    ::close(fd);
    return false;
  }
  (void)::fcntl(fd, F_SETFL, O_APPEND);
  m_fd = fd;
  m_path = path;
  return true;
}

bool ReportFile::Append(const QByteArray& line, QString* why) {
  const QByteArray whole = line + '\n';
  std::lock_guard lock(m_mutex);
  if (m_fd < 0) {
    if (why) *why = QStringLiteral("the report is not open");
    return false;
  }
  struct stat st {};
  if (::fstat(m_fd, &st) != 0) {
    if (why) *why = SystemText(errno);
    return false;
  }
  ssize_t n = -1;
  do {
    n = ::write(m_fd, whole.constData(), static_cast<std::size_t>(whole.size()));
  } while (n < 0 && errno == EINTR);
  if (n != whole.size()) {
    const int error = n < 0 ? errno : ENOSPC;
    // Part of a line would read as a broken record: the file goes back to its last whole line.
    if (n > 0 && ::ftruncate(m_fd, st.st_size) != 0) {
      if (why)
        *why = SystemText(error) + QStringLiteral("; the partial line could not be cut off: ") + SystemText(errno);
      return false;
    }
    if (why) *why = SystemText(error);
    return false;
  }
  if (::fsync(m_fd) != 0) {
    if (why) *why = SystemText(errno);
    return false;
  }
  return true;
}

}  // namespace quorvin::station
