#pragma once
// The few file-system facts and calls that Qt does not offer portably: what stands at a path,
// whether a name fits, syncing to disk, and owner and mode of a replacement. One file per platform.

#include <QByteArray>
#include <QString>

namespace quorvin::fs {

struct PathState {
  bool exists = false;
  bool regular = false;  // a regular file, following symlinks
  unsigned mode = 0;     // permission bits
  long long uid = -1;
  long long gid = -1;
};

// What stands at `path`, following symlinks; a dangling symlink counts as nothing there.
[[nodiscard]] PathState Inspect(const QString& path);
// Whether the last name in `path`, and the path as a whole, are within the system's limits.
[[nodiscard]] bool NameFits(const QString& path);
// Forces what was written through `fd` to the disk. False, with the system's words, on an error
// the disk reported only now (a full disk on some file systems, an I/O error).
[[nodiscard]] bool SyncToDisk(int fd, QString* why);
// Gives the file open on `fd` the mode and, as far as this process may, the owner and group that
// `was` had. Failing to change the owner is not an error: an ordinary user cannot give files away.
void TakeOverOwnerAndMode(int fd, const PathState& was);
// Syncs the folder holding `path`, so the rename that put the file there is on disk too.
void SyncFolderOf(const QString& path);
// Creates the folder `path` and any missing above it. False, with the folder that could not be
// made and the system's words, when one cannot be (a file stands in the way, no permission).
[[nodiscard]] bool MakeFolders(const QString& path, QString* why);

enum class AppendFault {
  None,
  NotRegular,  // a pipe, device, socket or folder stands at the path: nothing was opened for writing
  System,      // the system's words are in `why`
};
// Appends `line` (ending in a newline) to the file at `path` (created when missing) in one write
// that the system places whole at the end, even with other processes appending at once, then
// syncs it. The open never waits: a FIFO at the path is refused, not waited on for a reader. A
// file that ends without a newline (a line cut short by a crash) gets one first, so the torn line
// never takes this one with it; a write that goes out only in part is cut back off, leaving the
// file as it was.
[[nodiscard]] AppendFault AppendLine(const QString& path, const QByteArray& line, QString* why);

}  // namespace quorvin::fs
