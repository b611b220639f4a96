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

}  // namespace quorvin
