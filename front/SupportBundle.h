#pragma once
// A support bundle: one tar archive to send to support, holding the newest recording of what
// crossed a link, the history, a note of the tool and the system, and the doctor's findings (in
// English: support reads them). quorvinctl record-report and the window's File menu make the same.

#include <QString>
#include <QStringList>
#include <vector>

#include "host/History.h"
#include "host/OutputFile.h"

namespace quorvin {

struct BundleReport {
  QStringList contents;                         // the names in the archive
  std::vector<FileProblem> leftOut;             // what was there but could not be read (the bundle goes without)
  OutputRefusal refusal = OutputRefusal::None;  // the path was turned away
  QString reason;                               // the system's words when the bundle could not be written
  qint64 bytes = 0;
  [[nodiscard]] bool Written() const { return refusal == OutputRefusal::None && reason.isEmpty(); }
};

// Writes the bundle to `path` (replacing an earlier file only once it is whole). `program` names
// the tool in the note ("quorvinctl", "quorvin-setup").
[[nodiscard]] BundleReport WriteSupportBundle(const QString& path, const QString& program);

}  // namespace quorvin
