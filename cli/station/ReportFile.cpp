#include "cli/station/ReportFile.h"

#include "host/FileSystem.h"
#include "ops/FaultTexts.h"

namespace quorvin::station {

namespace {

bool Appended(fs::AppendFault fault, QString* why, const Language& lang) {
  switch (fault) {
    case fs::AppendFault::None:
      return true;
    case fs::AppendFault::NotRegular:
      if (why) *why = NotRegularFileText(lang);
      return false;
    case fs::AppendFault::System:
      break;  // the system's words are in `why` already
  }
  return false;
}

}  // namespace

bool ReportFile::Open(const QString& path, QString* why, const Language& lang) {
  m_lang = lang;
  // Nothing to add yet: this only makes the file, or finds that it cannot be appended to.
  QString reason;
  if (!Appended(fs::AppendLine(path, {}, &reason), &reason, lang)) {
    if (why) *why = reason;
    return false;
  }
  m_path = path;
  return true;
}

bool ReportFile::Append(const QByteArray& line, QString* why) {
  std::lock_guard lock(m_mutex);
  if (m_path.isEmpty()) {
    if (why) *why = QStringLiteral("the report is not open");
    return false;
  }
  return Appended(fs::AppendLine(m_path, line + '\n', why), why, m_lang);
}

}  // namespace quorvin::station
