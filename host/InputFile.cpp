#include "host/InputFile.h"

#include <QFile>
#include <algorithm>

#include "host/FileOpen.h"

namespace quorvin {

FileRead ReadWholeFile(const QString& path, QByteArray& buffer, qint64 maxBytes, QString* reason) {
  buffer.clear();
  QFile file(path);
  if (!OpenForReading(file)) {
    if (reason) *reason = file.errorString();
    return FileRead::CannotOpen;
  }
  // Pipes and character devices report no size; they are read up to one byte past the limit.
  if (!file.isSequential()) {
    if (file.size() > maxBytes) return FileRead::TooLarge;
    buffer.reserve(file.size());  // one allocation: the image is the largest thing we hold
  }
  constexpr qint64 kChunk = 64 * 1024;
  QByteArray chunk(kChunk, Qt::Uninitialized);
  for (;;) {
    const qint64 got = file.read(chunk.data(), std::min(kChunk, maxBytes + 1 - buffer.size()));
    if (got < 0) {
      if (reason) *reason = file.errorString();
      buffer.clear();
      return FileRead::ReadFailed;
    }
    if (got == 0) return FileRead::Ok;
    buffer.append(chunk.constData(), got);
    if (buffer.size() > maxBytes) {  // the file grew while we read it, or has no size
      buffer = QByteArray();
      return FileRead::TooLarge;
    }
  }
}

}  // namespace quorvin
