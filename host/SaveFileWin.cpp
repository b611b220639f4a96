#include <windows.h>

#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>

#include "host/SaveFile.h"
#include "host/WindowsErrorText.h"
#include "host/WindowsPath.h"

namespace quorvin {

// A twin of our own beside the file: QSaveFile would put it in place with MoveFileEx alone, which
// gives the new file the folder's access list and drops the earlier file's attributes. ReplaceFileW
// keeps them, as a replacement should; MoveFileExW with write-through takes over where there is
// nothing to replace or the file system cannot replace (FAT, some network shares).
struct SaveFile::Twin {
  QFile file;
  QString target;
  QString why;
};

namespace {

// Short and fixed in length, so a twin fits wherever the file's own name fits.
QString TwinName(const QString& folder) {
  return folder +
         QStringLiteral("/~quorvin-%1.tmp").arg(QRandomGenerator::global()->generate(), 8, 16, QLatin1Char('0'));
}

}  // namespace

SaveFile::SaveFile() : m_twin(std::make_unique<Twin>()) {}

SaveFile::~SaveFile() { Cancel(); }

bool SaveFile::Open(const QString& path) {
  Twin& t = *m_twin;
  // A link is followed and its target replaced, the link itself left as it is, as QSaveFile does.
  const QFileInfo info(path);
  t.target = info.isSymbolicLink() ? info.symLinkTarget() : info.absoluteFilePath();
  t.why.clear();
  for (int attempt = 0; attempt < 16; ++attempt) {
    t.file.setFileName(TwinName(QFileInfo(t.target).absolutePath()));
    if (t.file.open(QIODevice::WriteOnly | QIODevice::NewOnly)) return true;
    if (!t.file.exists()) break;  // not a name taken by chance: the folder refuses
  }
  t.why = t.file.errorString();
  return false;
}

bool SaveFile::IsOpen() const { return m_twin->file.isOpen(); }

QFileDevice& SaveFile::File() { return m_twin->file; }

bool SaveFile::Commit() {
  Twin& t = *m_twin;
  if (!t.file.isOpen()) return false;
  // The caller flushed and synced; the handle goes so the twin can be renamed.
  t.file.close();
  if (t.file.error() != QFileDevice::NoError) {
    t.why = t.file.errorString();
    (void)QFile::remove(t.file.fileName());
    return false;
  }
  const std::wstring twin = fs::ExtendedPath(t.file.fileName());
  const std::wstring target = fs::ExtendedPath(t.target);
  DWORD code = ERROR_SUCCESS;
  if (GetFileAttributesW(target.c_str()) != INVALID_FILE_ATTRIBUTES) {
    if (ReplaceFileW(target.c_str(), twin.c_str(), nullptr,
                     REPLACEFILE_IGNORE_MERGE_ERRORS | REPLACEFILE_IGNORE_ACL_ERRORS, nullptr, nullptr))
      return true;
    code = GetLastError();
  }
  // Without a backup name a failed replacement leaves the twin under its own name, and the earlier
  // file either as it was or already gone: either way moving the twin over is what is left to do.
  if (GetFileAttributesW(twin.c_str()) != INVALID_FILE_ATTRIBUTES &&
      MoveFileExW(twin.c_str(), target.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
    return true;
  if (code == ERROR_SUCCESS) code = GetLastError();
  t.why = WindowsErrorText(code);
  (void)DeleteFileW(twin.c_str());
  return false;
}

void SaveFile::Cancel() {
  Twin& t = *m_twin;
  if (!t.file.isOpen()) return;
  t.file.close();
  (void)QFile::remove(t.file.fileName());
}

QString SaveFile::ErrorString() const { return m_twin->why.isEmpty() ? m_twin->file.errorString() : m_twin->why; }

}  // namespace quorvin
