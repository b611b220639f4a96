#pragma once
// A file the tool writes for the technician (a backup read back from the device). It is written
// beside its final place and put there in one step only once every byte is on disk, so a full
// disk, a write error or an interrupted transfer leaves an earlier file exactly as it was.
//
// What may be replaced is a regular file (or a symlink to one), and only that: a device node, a
// FIFO, a socket or a folder at the path is refused before anything else happens. A replaced file
// keeps its permission bits and, where this process may set them, its owner and group.

#include <QString>

#include "host/SaveFile.h"

namespace quorvin {

enum class OutputRefusal {
  None,
  EmptyPath,       // no name at all
  NotRegularFile,  // something other than a regular file stands at the path
  NameTooLong,     // the name or the path is longer than the system allows
  CannotCreate,    // the folder is missing or not writable: the system's reason says which
};

class OutputFile {
 public:
  explicit OutputFile(const QString& path);
  ~OutputFile();  // an uncommitted file is dropped; the earlier one stays
  OutputFile(const OutputFile&) = delete;
  OutputFile& operator=(const OutputFile&) = delete;

  // Checks the path and creates the temporary twin beside it. Callers open it before they ask the
  // device for anything, so a path that cannot work costs the technician no transfer.
  [[nodiscard]] OutputRefusal Open();
  // Appends bytes. A failure is remembered: the file can then only be cancelled.
  [[nodiscard]] bool Write(const char* data, qint64 count);
  // Flushes, syncs to disk, keeps the replaced file's mode and owner, and renames into place.
  // False on any error, with the temporary file removed and an earlier file untouched.
  [[nodiscard]] bool Commit();
  // Drops what was written; an earlier file stays as it was.
  void Cancel();

  [[nodiscard]] const QString& Path() const { return m_path; }
  // The system's words for the last failure (Open, Write or Commit).
  [[nodiscard]] const QString& Reason() const { return m_reason; }

 private:
  bool Fail(const QString& reason);

  QString m_path;
  SaveFile m_file;
  QString m_reason;
  bool m_failed = false;
  bool m_replacing = false;  // a regular file stood at the path when it was opened
  unsigned m_mode = 0;
  long long m_uid = -1;
  long long m_gid = -1;
};

}  // namespace quorvin
