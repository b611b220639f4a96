#include "link/History.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonDocument>
#include <optional>

#include "link/FileOpen.h"
#include "link/FileSystem.h"
#include "link/OutputFile.h"

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

bool AppendHistory(const QJsonObject& entry, QString* why, const Language& lang) {
  const QString path = HistoryPath();
  if (!fs::MakeFolders(QFileInfo(path).path(), why)) return false;
  const QByteArray line = QJsonDocument(entry).toJson(QJsonDocument::Compact) + '\n';
  switch (fs::AppendLine(path, line, why)) {
    case fs::AppendFault::None:
      return true;
    case fs::AppendFault::NotRegular:
      if (why) *why = NotRegularFileText(lang);
      return false;
    case fs::AppendFault::System:
      return false;
  }
  return false;
}

QString LastRecordingPath() { return UserFolder(UserData::State) + QStringLiteral("/last.rec"); }

bool KeepAsLastRecording(const QString& recording, QString* why, const Language& lang) {
  const QString path = LastRecordingPath();
  if (!fs::MakeFolders(QFileInfo(path).path(), why)) return false;
  QFile source(recording);
  switch (OpenRegularForReading(source, why)) {
    case RegularOpen::Opened:
      break;
    case RegularOpen::NotRegular:
      if (why) *why = recording + QStringLiteral(": ") + NotRegularFileText(lang);
      return false;
    case RegularOpen::Missing:
    case RegularOpen::Failed:
      if (why) *why = recording + QStringLiteral(": ") + *why;
      return false;
  }
  const QByteArray data = source.readAll();
  if (source.error() != QFileDevice::NoError) {
    if (why) *why = recording + QStringLiteral(": ") + source.errorString();
    return false;
  }
  OutputFile copy(path);
  if (const OutputRefusal refusal = copy.Open(); refusal != OutputRefusal::None) {
    if (why) *why = OutputRefusalText(lang, refusal, copy.Reason());
    return false;
  }
  if (!copy.Write(data.constData(), data.size()) || !copy.Commit()) {
    if (why) *why = copy.Reason();
    return false;
  }
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

QVector<QJsonObject> ReadHistory(const QString& path, int* skipped, QString* why, const Language& lang) {
  QVector<QJsonObject> entries;
  if (skipped) *skipped = 0;
  if (why) why->clear();
  QFile file(path);
  QString problem;
  switch (OpenRegularForReading(file, &problem)) {
    case RegularOpen::Opened:
      break;
    case RegularOpen::Missing:
      return entries;  // nothing recorded yet
    case RegularOpen::NotRegular:
      if (why) *why = NotRegularFileText(lang);
      return entries;
    case RegularOpen::Failed:
      if (why) *why = problem;
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
  if (file.error() != QFileDevice::NoError && why) *why = file.errorString();
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
