#include "link/OutputFile.h"

#include <cerrno>
#include <cstring>

#include "link/Feedback.h"
#include "link/FileSystem.h"

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
  m_file.setFileName(m_path);
  if (!m_file.open(QIODevice::WriteOnly)) {
    m_reason = m_file.errorString();
    return OutputRefusal::CannotCreate;
  }
  return OutputRefusal::None;
}

bool OutputFile::Write(const char* data, qint64 count) {
  if (m_failed || !m_file.isOpen()) return Fail(m_file.errorString());
  errno = 0;
  if (m_file.write(data, count) != count || m_file.error() != QFileDevice::NoError) return Fail(Why(m_file, errno));
  return true;
}

bool OutputFile::Commit() {
  if (!m_file.isOpen()) return Fail(m_reason);
  // QSaveFile keeps some buffered write errors to itself until a flush, and a file system may
  // report a full disk only when the data are synced; each is asked before the rename.
  QString why;
  errno = 0;
  if (m_failed || !m_file.flush() || m_file.error() != QFileDevice::NoError) {
    Fail(Why(m_file, errno));
  } else if (!fs::SyncToDisk(m_file.handle(), &why)) {
    Fail(why);
  } else {
    if (m_replacing) fs::TakeOverOwnerAndMode(m_file.handle(), {true, true, m_mode, m_uid, m_gid});
    if (m_file.commit()) {
      fs::SyncFolderOf(m_path);
      return true;
    }
    Fail(m_file.errorString());
  }
  Cancel();
  return false;
}

void OutputFile::Cancel() {
  if (m_file.isOpen()) m_file.cancelWriting();
  // Closing an uncommitted save file removes its temporary twin.
  if (m_file.isOpen()) (void)m_file.commit();
}

QString OutputRefusalText(const Language& lang, OutputRefusal refusal, const QString& reason) {
  switch (refusal) {
    case OutputRefusal::None:
      return {};
    case OutputRefusal::EmptyPath:
      return lang.Text(QT_TRANSLATE_NOOP("quorvin", "No file name was given."));
    case OutputRefusal::NotRegularFile:
      return lang.Text(QT_TRANSLATE_NOOP(
          "quorvin",
          "What stands at this path is not a regular file (a device, pipe, socket or folder); it is not replaced."));
    case OutputRefusal::NameTooLong:
      return lang.Text(QT_TRANSLATE_NOOP("quorvin", "The file name is too long."));
    case OutputRefusal::CannotCreate:
      return reason;
  }
  return {};
}

QString NotRegularFileText(const Language& lang) {
  return lang.Text(QT_TRANSLATE_NOOP("quorvin", "not a regular file (a pipe, device, socket or folder stands there)"));
}

QString FileWriteMessage(const Language& lang, const QString& path, const QString& reason) {
  QString text = lang.Text(QT_TRANSLATE_NOOP("quorvin", "Cannot write the file %1.")).arg(path);
  if (!reason.isEmpty()) text += QLatin1Char('\n') + reason;  // the system's words, on their own line
  return text;
}

}  // namespace quorvin
