#include "host/History.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonDocument>

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

bool AppendHistory(const QJsonObject& entry, QString* why) {
  const QString path = HistoryPath();
  if (!QDir().mkpath(QFileInfo(path).path())) {
    if (why) *why = QStringLiteral("cannot create %1").arg(QFileInfo(path).path());
    return false;
  }
  const QByteArray line = QJsonDocument(entry).toJson(QJsonDocument::Compact) + '\n';
  return fs::AppendWhole(path, line, why);
}

QString LastRecordingPath() { return UserFolder(UserData::State) + QStringLiteral("/last.rec"); }

bool KeepAsLastRecording(const QString& recording, QString* why) {
  const QString path = LastRecordingPath();
  QFile source(recording);
  if (!QDir().mkpath(QFileInfo(path).path()) || !source.open(QIODevice::ReadOnly)) {
    if (why) *why = source.errorString();
    return false;
  }
  OutputFile copy(path);
  const QByteArray data = source.readAll();
  if (copy.Open() != OutputRefusal::None || !copy.Write(data.constData(), data.size()) || !copy.Commit()) {
    if (why) *why = copy.Reason();
    return false;
  }
  return true;
}

QVector<QJsonObject> ReadHistory(const QString& path, int* skipped) {
  QVector<QJsonObject> entries;
  if (skipped) *skipped = 0;
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly)) return entries;
  while (!file.atEnd()) {
    const QByteArray line = file.readLine().trimmed();
    if (line.isEmpty()) continue;
    const QJsonDocument doc = QJsonDocument::fromJson(line);
    if (doc.isObject())
      entries.push_back(doc.object());
    else if (skipped)
      ++*skipped;
  }
  return entries;
}

QString FileSha256(const QString& path) {
  // Only a regular file: a FIFO would hold the open until a writer came, and its data are gone.
  if (!fs::Inspect(path).regular) return {};
  QFile file(path);
  QCryptographicHash hash(QCryptographicHash::Sha256);
  if (!file.open(QIODevice::ReadOnly) || !hash.addData(&file)) return {};
  return QString::fromLatin1(hash.result().toHex());
}

}  // namespace quorvin
