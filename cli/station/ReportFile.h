#pragma once
// The station's report: one JSON line per unit, appended through the host's append-and-sync
// (host/FileSystem.h): a line goes out in one write placed whole at the end and is synced before
// the unit counts as recorded, so a station that is killed, or a disk that fills up, leaves whole
// lines only: a short write is cut back off.

#include <QByteArray>
#include <QString>
#include <mutex>

#include "ops/Language.h"

namespace quorvin::station {

class ReportFile {
 public:
  // Checks that the file can be appended to (creating it when missing), never waiting in the
  // open; only a regular file is taken. False with the reason in `why`: the system's, or in `lang`
  // for what is not a file.
  [[nodiscard]] bool Open(const QString& path, QString* why, const Language& lang = Language());
  // Appends `line` and a newline and syncs them; false, with nothing of the line left in the file,
  // when the line could not be written whole. Safe from several threads.
  [[nodiscard]] bool Append(const QByteArray& line, QString* why);
  [[nodiscard]] const QString& Path() const { return m_path; }

 private:
  std::mutex m_mutex;
  QString m_path;
  Language m_lang;
};

}  // namespace quorvin::station
