#include "front/SupportBundle.h"

#include <QFile>
#include <QFileInfo>
#include <QSysInfo>

#include "front/Doctor.h"
#include "host/FileOpen.h"
#include "host/TarArchive.h"
#include "link/HidLink.h"

namespace quorvin {

BundleReport WriteSupportBundle(const QString& path, const QString& program) {
  BundleReport report;
  TarArchive tar;
  for (const QString& kept : {LastRecordingPath(), HistoryPath()}) {
    QFile file(kept);
    QString why;
    const RegularOpen opened = OpenRegularForReading(file, &why);
    if (opened == RegularOpen::Missing) continue;  // nothing recorded yet, or no history
    QByteArray data;
    if (opened == RegularOpen::Opened) data = file.readAll();
    if (opened == RegularOpen::Opened && file.error() != QFileDevice::NoError) why = file.errorString();
    if (opened != RegularOpen::Opened || file.error() != QFileDevice::NoError) {
      // The bundle is still worth sending without it; its contents say what it holds.
      report.leftOut.push_back(
          {opened == RegularOpen::NotRegular ? FileProblem::Kind::NotRegular : FileProblem::Kind::System, kept, why,
           OutputRefusal::None});
      continue;
    }
    tar.Add(QFileInfo(kept).fileName(), data);
    report.contents << QFileInfo(kept).fileName();
  }
  tar.Add(QStringLiteral("about.txt"), QStringLiteral("%1 %2\n%3\n")
                                           .arg(program, QStringLiteral(QUORVIN_VERSION), QSysInfo::prettyProductName())
                                           .toUtf8());
  report.contents << QStringLiteral("about.txt");
  QStringList lines;
  for (const Finding& f : Diagnose(GatherFacts(QStringLiteral("/")), std::nullopt, Language()))
    lines << FindingLine(f, Language());
  tar.Add(QStringLiteral("doctor.txt"), (lines.join(QLatin1Char('\n')) + QLatin1Char('\n')).toUtf8());
  report.contents << QStringLiteral("doctor.txt");
  const QByteArray bytes = tar.Finish();
  OutputFile out(path);
  report.refusal = out.Open();
  if (report.refusal != OutputRefusal::None) {
    report.reason = out.Reason();
    return report;
  }
  if (!out.Write(bytes.constData(), bytes.size()) || !out.Commit()) {
    report.reason = out.Reason();
    if (report.reason.isEmpty()) report.reason = QStringLiteral("the archive could not be written");
    return report;
  }
  report.bytes = bytes.size();
  return report;
}

}  // namespace quorvin
