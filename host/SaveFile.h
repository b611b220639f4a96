#pragma once
// The twin of a file being saved: written beside the file's place and put there in one step, so a
// reader sees the earlier file or the whole new one, never a part. OutputFile adds the checks and
// the syncing around it. One file per platform: Qt's QSaveFile on POSIX (an unnamed file linked into
// place, so a killed process leaves nothing behind); on Windows a twin of our own, put in place with
// ReplaceFileW, which keeps the replaced file's access list and attributes as Explorer's saves do.

#include <QFileDevice>
#include <QString>
#include <memory>

namespace quorvin {

class SaveFile {
 public:
  SaveFile();
  ~SaveFile();  // an uncommitted twin is removed
  SaveFile(const SaveFile&) = delete;
  SaveFile& operator=(const SaveFile&) = delete;

  // Creates the twin of `path`; false with ErrorString() when it cannot be made.
  [[nodiscard]] bool Open(const QString& path);
  [[nodiscard]] bool IsOpen() const;
  // The twin, for writing, flushing and syncing.
  [[nodiscard]] QFileDevice& File();
  // Puts the twin, flushed and synced by the caller, in the file's place, replacing what is there.
  // False with ErrorString(); the twin is gone then and an earlier file is as it was.
  [[nodiscard]] bool Commit();
  // Removes the twin; an earlier file stays as it was.
  void Cancel();
  [[nodiscard]] QString ErrorString() const;

 private:
  struct Twin;
  std::unique_ptr<Twin> m_twin;
};

}  // namespace quorvin
