#include "host/History.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonDocument>
#include <optional>

#include "host/FileOpen.h"
#include "host/FileSystem.h"
#include "host/OutputFile.h"

namespace quorvin {

QString UserFolder(UserData kind) {
  const bool state = kind == UserData::State;
  const QString xdg = qEnvironmentVariable(state ? "XDG_STATE_HOME" : "XDG_DATA_HOME");
  if (!xdg.isEmpty()) return xdg + QStringLiteral("/quorvin");
  const QString local = qEnvironmentVariable("LOCALAPPDATA");  // set on Windows only
  if (!local.isEmpty()) return local + QStringLiteral("/quorvin");
  return QDir::homePath() + (state ? QStringLiteral("/.local/state/quorvin") : QStringLiteral("/.local/share/quorvin"));
}

QString HistoryPath() { return UserFolder(UserData::State) + QStringLiteral("/history.jsonl"); }

namespace {

bool Failed(FileProblem* problem, FileProblem::Kind kind, const QString& path, const QString& reason = {},
            OutputRefusal refusal = OutputRefusal::None) {
  if (problem) *problem = {kind, path, reason, refusal};
  return false;
}

}  // namespace

bool AppendHistory(const QJsonObject& entry, FileProblem* problem) {
  const QString path = HistoryPath();
  QString why;
  if (!fs::MakeFolders(QFileInfo(path).path(), &why)) return Failed(problem, FileProblem::Kind::System, path, why);
  const QByteArray line = QJsonDocument(entry).toJson(QJsonDocument::Compact) + '\n';
  switch (fs::AppendLine(path, line, &why)) {
    case fs::AppendFault::None:
      return true;
    case fs::AppendFault::NotRegular:
      return Failed(problem, FileProblem::Kind::NotRegular, path);
    case fs::AppendFault::System:
      break;
  }
  return Failed(problem, FileProblem::Kind::System, path, why);
}

QString LastRecordingPath() { return UserFolder(UserData::State) + QStringLiteral("/last.rec"); }

bool KeepAsLastRecording(const QString& recording, FileProblem* problem) {
  using Kind = FileProblem::Kind;
  const QString path = LastRecordingPath();
  QString why;
  if (!fs::MakeFolders(QFileInfo(path).path(), &why)) return Failed(problem, Kind::System, path, why);
  QFile source(recording);
  switch (OpenRegularForReading(source, &why)) {
    case RegularOpen::Opened:
      break;
    case RegularOpen::NotRegular:
      return Failed(problem, Kind::NotRegular, recording);
    case RegularOpen::Missing:
    case RegularOpen::Failed:
      return Failed(problem, Kind::System, recording, why);
  }
  const QByteArray data = source.readAll();
  if (source.error() != QFileDevice::NoError) return Failed(problem, Kind::System, recording, source.errorString());
  OutputFile copy(path);
  if (const OutputRefusal refusal = copy.Open(); refusal != OutputRefusal::None)
    return Failed(problem, Kind::Refused, path, copy.Reason(), refusal);
  if (!copy.Write(data.constData(), data.size()) || !copy.Commit())
    return Failed(problem, Kind::System, path, copy.Reason());
  return true;
}

namespace {

// A line that is not an object may be a line a crash cut short with a whole entry glued after it
// (written before each entry started on a line of its own): the entry is found where one of the
// line's first few `{"` begins. The tries are bounded, so a long stray line costs little.
std::optional<QJsonObject> GluedEntry(const QByteArray& line) {
  constexpr int kTries = 16;
  qsizetype from = 1;
  for (int i = 0; i < kTries; ++i) {
    const qsizetype at = line.indexOf("{\"", from);
    if (at < 0) break;
    const QJsonDocument doc = QJsonDocument::fromJson(line.mid(at));
    if (doc.isObject()) return doc.object();
    from = at + 1;
  }
  return std::nullopt;
}

}  // namespace

QVector<QJsonObject> ReadHistory(const QString& path, int* skipped, FileProblem* problem) {
  QVector<QJsonObject> entries;
  if (skipped) *skipped = 0;
  if (problem) *problem = {};
  QFile file(path);
  QString why;
  switch (OpenRegularForReading(file, &why)) {
    case RegularOpen::Opened:
      break;
    case RegularOpen::Missing:
      return entries;  // nothing recorded yet
    case RegularOpen::NotRegular:
      (void)Failed(problem, FileProblem::Kind::NotRegular, path);
      return entries;
    case RegularOpen::Failed:
      (void)Failed(problem, FileProblem::Kind::System, path, why);
      return entries;
  }
  while (!file.atEnd()) {
    const QByteArray line = file.readLine().trimmed();
    if (line.isEmpty()) continue;
    const QJsonDocument doc = QJsonDocument::fromJson(line);
    if (doc.isObject()) {
      entries.push_back(doc.object());
      continue;
    }
    if (skipped) ++*skipped;
    if (const auto glued = GluedEntry(line)) entries.push_back(*glued);
  }
  if (file.error() != QFileDevice::NoError) (void)Failed(problem, FileProblem::Kind::System, path, file.errorString());
  return entries;
}

QString FileSha256(const QString& path) {
  // Only a regular file: a FIFO would hold the open until a writer came, and its data are gone.
  QFile file(path);
  QCryptographicHash hash(QCryptographicHash::Sha256);
  if (OpenRegularForReading(file) != RegularOpen::Opened || !hash.addData(&file)) return {};
  return QString::fromLatin1(hash.result().toHex());
}

}  // namespace quorvin
