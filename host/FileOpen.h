#pragma once
// Opening a file the user chose, for reading, without ever waiting in the open itself.
//
// A named pipe with no writer blocks a plain open until someone opens it for writing, which may be
// never; the operation would hang where no stop request and no time-out can reach it. Here the
// open does not wait: such a pipe reads as empty, while one with a writer (a shell's
// `<(command)`, say) is read as it comes, as before.

#include <QFile>

namespace quorvin {

// Opens `file` (its name already set) read-only. On failure the file's errorString() says why,
// as after QFile::open.
[[nodiscard]] bool OpenForReading(QFile& file);

enum class RegularOpen { Opened, Missing, NotRegular, Failed };
// Opens `file` (its name already set) read-only only when a regular file (or a symlink to one) is
// there, for files the tool keeps itself (the history, the last recording): a pipe, device, socket
// or folder at the name is refused without being opened for good, and the open never waits.
// `why` gets the system's words when it is Missing or Failed.
[[nodiscard]] RegularOpen OpenRegularForReading(QFile& file, QString* why = nullptr);

}  // namespace quorvin
