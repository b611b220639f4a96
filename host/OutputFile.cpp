#include "host/OutputFile.h"

#include <cerrno>
#include <cstring>

#include "host/FileSystem.h"

namespace quorvin {

namespace {
// Qt's words for a failed write are sometimes only "Unknown error"; the system's are better.
QString Why(const QFileDevice& file, int savedErrno) {
  const QString qt = file.errorString();
  if (savedErrno != 0 && (qt.isEmpty() || qt == QLatin1String("Unknown error")))
    return QString::fromLocal8Bit(std::strerror(savedErrno));
  return qt;
}
}  // namespace

OutputFile::OutputFile(const QString& path) : m_path(path) {}

OutputFile::~OutputFile() { Cancel(); }

bool OutputFile::Fail(const QString& reason) {
  if (!m_failed) m_reason = reason;
  m_failed = true;
  return false;
}

OutputRefusal OutputFile::Open() {
  if (m_path.isEmpty()) return OutputRefusal::EmptyPath;
  const fs::PathState there = fs::Inspect(m_path);
  if (there.exists && !there.regular) return OutputRefusal::NotRegularFile;
  if (!fs::NameFits(m_path)) return OutputRefusal::NameTooLong;
  m_replacing = there.exists;
  m_mode = there.mode;
  m_uid = there.uid;
  m_gid = there.gid;
  if (!m_file.Open(m_path)) {
    m_reason = m_file.ErrorString();
    return OutputRefusal::CannotCreate;
  }
  return OutputRefusal::None;
}

bool OutputFile::Write(const char* data, qint64 count) {
  QFileDevice& file = m_file.File();
  if (m_failed || !m_file.IsOpen()) return Fail(file.errorString());
  errno = 0;
  if (file.write(data, count) != count || file.error() != QFileDevice::NoError) return Fail(Why(file, errno));
  return true;
}

bool OutputFile::Commit() {
  if (!m_file.IsOpen()) return Fail(m_reason);
  QFileDevice& file = m_file.File();
  // Qt keeps some buffered write errors to itself until a flush, and a file system may report a
  // full disk only when the data are synced; each is asked before the rename.
  QString why;
  errno = 0;
  if (m_failed || !file.flush() || file.error() != QFileDevice::NoError) {
    Fail(Why(file, errno));
  } else if (!fs::SyncToDisk(file.handle(), &why)) {
    Fail(why);
  } else {
    if (m_replacing) fs::TakeOverOwnerAndMode(file.handle(), {true, true, m_mode, m_uid, m_gid});
    if (m_file.Commit()) {
      fs::SyncFolderOf(m_path);
      return true;
    }
    Fail(m_file.ErrorString());
  }
  Cancel();
  return false;
}

void OutputFile::Cancel() { m_file.Cancel(); }

}  // namespace quorvin
