#include "host/FileOpen.h"
#include "host/FileSystem.h"

namespace quorvin {

// A named pipe's open on Windows never waits for a writer, so the plain open is already safe.
bool OpenForReading(QFile& file) { return file.open(QIODevice::ReadOnly); }

RegularOpen OpenRegularForReading(QFile& file, QString* why) {
  const fs::PathState there = fs::Inspect(file.fileName());
  if (!there.exists) {
    if (why) *why = QStringLiteral("No such file or directory");
    return RegularOpen::Missing;
  }
  if (!there.regular) return RegularOpen::NotRegular;
  if (!file.open(QIODevice::ReadOnly)) {
    if (why) *why = file.errorString();
    return RegularOpen::Failed;
  }
  return RegularOpen::Opened;
}

}  // namespace quorvin
