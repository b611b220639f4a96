#include "link/InputFile.h"

#include <QFile>
#include <algorithm>

#include "link/FileOpen.h"

namespace quorvin {

namespace {
// The system's reason is added on its own line; it is in the system's language, not ours.
QString WithReason(QString text, const QString& reason) {
  if (!reason.isEmpty()) text += QLatin1Char('\n') + reason;
  return text;
}

QString TooLargeText(const Language& lang, const QString& path, qint64 maxBytes) {
  if (path.isEmpty())
    return lang.Text(QT_TRANSLATE_NOOP("quorvin", "The data are too large: at most %1 bytes can be sent."))
        .arg(maxBytes);
  return lang.Text(QT_TRANSLATE_NOOP("quorvin", "The file %1 is too large: at most %2 bytes can be sent."))
      .arg(path)
      .arg(maxBytes);
}

}  // namespace

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

QString FileReadMessage(const Language& lang, FileRead status, const QString& path, qint64 maxBytes,
                        const QString& reason) {
  switch (status) {
    case FileRead::Ok:
      return {};
    case FileRead::TooLarge:
      return TooLargeText(lang, path, maxBytes);
    case FileRead::CannotOpen:
      return WithReason(lang.Text(QT_TRANSLATE_NOOP("quorvin", "Cannot open the file %1.")).arg(path), reason);
    case FileRead::ReadFailed:
      return WithReason(lang.Text(QT_TRANSLATE_NOOP("quorvin", "Reading the file %1 failed.")).arg(path), reason);
  }
  return {};
}

}  // namespace quorvin
