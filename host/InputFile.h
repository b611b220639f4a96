#pragma once
// Reading a whole file the user chose (a firmware image, a backup) into memory, held to a limit.

#include <QByteArray>
#include <QString>

namespace quorvin {

enum class FileRead {
  Ok,
  CannotOpen,  // missing, unreadable, or a directory
  TooLarge,    // more than maxBytes: refused before it is read into memory
  ReadFailed,  // an error part way through
};

// Reads the whole file into `buffer` (replacing its content), at most maxBytes of it: a file whose
// size is known to exceed the limit is refused before any of it is read, and one that turns out
// longer while being read (a pipe, a file still growing) is refused as soon as it passes the limit.
// `reason` receives the system's text on failure.
[[nodiscard]] FileRead ReadWholeFile(const QString& path, QByteArray& buffer, qint64 maxBytes,
                                     QString* reason = nullptr);

}  // namespace quorvin
