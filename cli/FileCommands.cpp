// The commands over the tool's own files: the history, and the bundle of the last recording, the
// history and doctor's findings for support.

#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QSysInfo>
#include <cstdio>

#include "cli/Output.h"
#include "cli/Session.h"
#include "front/SupportBundle.h"
#include "host/FileOpen.h"
#include "host/History.h"
#include "host/OutputFile.h"
#include "host/SystemProbe.h"
#include "host/TarArchive.h"
#include "link/HidLink.h"
#include "ops/FaultTexts.h"

namespace quorvin::cli {

int Session::History() {
  QDateTime since;
  if (!m_o.since.isEmpty()) {
    since = QDateTime::fromString(m_o.since, Qt::ISODate);
    if (!since.isValid()) since = QDateTime(QDate::fromString(m_o.since, Qt::ISODate), QTime(0, 0), Qt::UTC);
    if (!since.isValid()) {
      OpResult r;
      r.outcome = Outcome::InvalidInput;
      r.detail = QStringLiteral("--since takes a date or time such as 2026-12-01 or 2026-12-01T08:00:00Z");
      m_fb.Say(m_lang.Text(QT_TRANSLATE_NOOP("quorvin", "Not a date: %1 (write it as 2026-12-01)")).arg(m_o.since));
      return Finish(r);
    }
  }
  int skipped = 0;
  FileProblem problem;
  const QVector<QJsonObject> entries = ReadHistory(HistoryPath(), &skipped, &problem);
  if (problem.Any()) {
    const QString why = FileProblemText(m_lang, problem);
    // There, but not readable: an empty listing would pass for a history with nothing in it.
    OpResult r;
    r.outcome = Outcome::FileError;
    r.fault = Fault::FileUnreadable;
    r.detail = QStringLiteral("%1: %2").arg(HistoryPath(), why);
    m_fb.Say(m_lang.Text(QT_TRANSLATE_NOOP("quorvin", "The history %1 cannot be read: %2")).arg(HistoryPath(), why));
    m_extra[QStringLiteral("path")] = HistoryPath();
    return Finish(r);
  }
  QJsonArray list;
  for (const QJsonObject& e : entries) {
    if (since.isValid() && QDateTime::fromString(e[QStringLiteral("time")].toString(), Qt::ISODateWithMs) < since)
      continue;
    list.append(e);
    if (!m_o.json) {
      QStringList cells;
      for (const char* key : {"time", "program", "operation", "link", "unit", "outcome", "fault", "version", "file"}) {
        const QString cell = Printable(e[QLatin1String(key)].toVariant().toString());
        if (!cell.isEmpty()) cells << cell;
      }
      cells << QStringLiteral("%1 ms").arg(e[QStringLiteral("ms")].toInteger());
      PrintOut(cells.join(QLatin1String("  ")));
    }
  }
  if (skipped > 0) std::fprintf(stderr, "quorvinctl: %d history lines are not JSON; skipped\n", skipped);
  OpResult r;
  r.outcome = Outcome::Success;
  m_extra[QStringLiteral("path")] = HistoryPath();
  m_extra[QStringLiteral("entries")] = list;
  return Finish(r);
}

int Session::RecordReport() {
  const BundleReport bundle = WriteSupportBundle(*m_file, QStringLiteral("quorvinctl"));
  for (const FileProblem& problem : bundle.leftOut)
    std::fprintf(stderr, "quorvinctl: %s\n",
                 qUtf8Printable(m_lang.Text(QT_TRANSLATE_NOOP("quorvin", "%1 is left out of the bundle: %2"))
                                    .arg(problem.path, FileProblemText(m_lang, problem))));
  OpResult r;
  if (!bundle.Written()) {
    const QString why = bundle.refusal != OutputRefusal::None ? OutputRefusalText(m_lang, bundle.refusal, bundle.reason)
                                                              : bundle.reason;
    m_fb.Say(FileWriteMessage(m_lang, *m_file, why));
    r.outcome = Outcome::FileError;
    r.fault = Fault::FileWriteFailed;
    return Finish(r);
  }
  r.outcome = Outcome::Success;
  r.bytes = bundle.bytes;
  m_extra[QStringLiteral("contents")] = QJsonArray::fromStringList(bundle.contents);
  if (!m_o.json) PrintOut(bundle.contents.join(QLatin1Char(' ')));
  return Finish(r);
}

}  // namespace quorvin::cli
