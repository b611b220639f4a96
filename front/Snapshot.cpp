#include "front/Snapshot.h"

#include <QDir>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QStringList>
#include <algorithm>

#include "link/FileSystem.h"
#include "link/History.h"

namespace quorvin {

namespace {

constexpr char kBackupName[] = "backup.bin";
constexpr char kInfoName[] = "snapshot.json";

// Passes everything on but holds the boxes back: a snapshot that works says nothing of its own.
class HeldBoxes final : public Feedback {
 public:
  explicit HeldBoxes(Feedback& inner) : m_inner(inner) {}
  void MessageBox(const QString& text, MsgIcon icon) override { m_boxes.push_back({text, icon}); }
  void ShowProgress() override { m_inner.ShowProgress(); }
  void SetProgressText(const QString& text) override { m_inner.SetProgressText(text); }
  void SetProgressRange(int max) override { m_inner.SetProgressRange(max); }
  void SetProgressPos(int pos) override { m_inner.SetProgressPos(pos); }
  int ProgressPos() override { return m_inner.ProgressPos(); }
  void CloseProgress() override { m_inner.CloseProgress(); }
  bool PumpMessages() override { return m_inner.PumpMessages(); }
  void DebugLine(const QString& line) override { m_inner.DebugLine(line); }
  void Trace(TraceDir dir, const std::uint8_t* bytes, std::size_t count) override { m_inner.Trace(dir, bytes, count); }
  bool CancelRequested() override { return m_inner.CancelRequested(); }
  void ShowHeld() {
    for (const auto& [text, icon] : m_boxes) m_inner.MessageBox(text, icon);
  }

 private:
  Feedback& m_inner;
  std::vector<std::pair<QString, MsgIcon>> m_boxes;
};

QJsonObject ToJson(const SnapshotInfo& s) {
  return {{QStringLiteral("unit"), s.unit},
          {QStringLiteral("time"), s.time.toUTC().toString(Qt::ISODateWithMs)},
          {QStringLiteral("version"), s.version},
          {QStringLiteral("frequency"), s.frequency},
          {QStringLiteral("backupSha256"), s.backupSha256},
          {QStringLiteral("backupBytes"), s.backupBytes},
          {QStringLiteral("tool"), s.tool}};
}

bool ReadInfo(const QString& folder, SnapshotInfo& s) {
  QFile file(folder + QLatin1Char('/') + QLatin1String(kInfoName));
  if (!file.open(QIODevice::ReadOnly)) return false;
  const QJsonObject o = QJsonDocument::fromJson(file.readAll()).object();
  if (o.isEmpty()) return false;
  s.folder = folder;
  s.unit = o[QStringLiteral("unit")].toString();
  s.time = QDateTime::fromString(o[QStringLiteral("time")].toString(), Qt::ISODateWithMs);
  s.version = o[QStringLiteral("version")].toString();
  s.frequency = o[QStringLiteral("frequency")].toInt();
  s.backupSha256 = o[QStringLiteral("backupSha256")].toString();
  s.backupBytes = o[QStringLiteral("backupBytes")].toInteger();
  s.tool = o[QStringLiteral("tool")].toString();
  return true;
}

OpResult Failed(Outcome outcome, Fault fault, const QString& detail) {
  OpResult r;
  r.outcome = outcome;
  r.fault = fault;
  r.detail = detail;
  return r;
}

}  // namespace

QString SnapshotRoot() { return UserFolder(UserData::Data) + QStringLiteral("/snapshots"); }

OpResult TakeSnapshotUsb(UsbEnv& env, SnapshotInfo* info) {
  SnapshotInfo s;
  s.time = QDateTime::currentDateTimeUtc();
  s.tool = QStringLiteral(QUORVIN_VERSION);
  // A name that sorts by time; the folder is made new, never reused.
  const QString folder = SnapshotRoot() + QLatin1Char('/') + s.time.toString(QStringLiteral("yyyyMMdd-HHmmss-zzz"));
  const auto refuse = [&](const QString& why) {
    QDir(folder).removeRecursively();
    env.fb.MessageBox(
        env.lang.Text(QT_TRANSLATE_NOOP("quorvin", "The snapshot could not be taken, so nothing was changed: %1"))
            .arg(why),
        MsgIcon::Warning);
    return Failed(Outcome::FileError, Fault::FileNotWritable, QStringLiteral("snapshot: ") + why);
  };
  if (QFileInfo::exists(folder) || !QDir().mkpath(folder)) return refuse(folder);

  HeldBoxes quiet(env.fb);
  UsbEnv q{env.link, quiet, env.clock, env.lang};
  const QString backup = folder + QLatin1Char('/') + QLatin1String(kBackupName);
  OpResult r = ReadVersionUsb(q);
  if (r.Ok()) {
    s.version = r.version;
    r = ReadFrequencyUsb(q);
  }
  if (r.Ok()) {
    s.frequency = r.frequency;
    r = BackupReadBackUsb(q, backup);
  }
  if (!r.Ok()) {
    quiet.ShowHeld();
    QDir(folder).removeRecursively();
    r.detail = QStringLiteral("snapshot: ") + r.detail;
    return r;
  }
  s.folder = folder;
  s.unit = env.link.LinkedPath();
  s.backupSha256 = FileSha256(backup);
  s.backupBytes = QFileInfo(backup).size();
  QFile json(folder + QLatin1Char('/') + QLatin1String(kInfoName));
  const QByteArray text = QJsonDocument(ToJson(s)).toJson();
  QString syncWhy;
  if (!json.open(QIODevice::WriteOnly) || json.write(text) != text.size() || !json.flush())
    return refuse(json.fileName() + QStringLiteral(": ") + json.errorString());
  if (!fs::SyncToDisk(json.handle(), &syncWhy)) return refuse(json.fileName() + QStringLiteral(": ") + syncWhy);
  json.close();
  if (info) *info = s;
  OpResult done;
  done.outcome = Outcome::Success;
  return done;
}

std::vector<SnapshotInfo> ListSnapshots() {
  std::vector<SnapshotInfo> list;
  const QDir root(SnapshotRoot());
  for (const QString& name : root.entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name)) {
    SnapshotInfo s;
    if (ReadInfo(root.filePath(name), s)) list.push_back(s);
  }
  return list;
}

bool LoadSnapshot(const QString& nameOrPath, SnapshotInfo& info, QString* why) {
  const QString folder = QFileInfo(nameOrPath).isDir() ? QFileInfo(nameOrPath).absoluteFilePath()
                                                       : SnapshotRoot() + QLatin1Char('/') + nameOrPath;
  if (!ReadInfo(folder, info)) {
    if (why) *why = QStringLiteral("%1: no readable snapshot.json").arg(folder);
    return false;
  }
  const QString backup = folder + QLatin1Char('/') + QLatin1String(kBackupName);
  if (QFileInfo(backup).size() != info.backupBytes || FileSha256(backup) != info.backupSha256) {
    if (why) *why = QStringLiteral("%1 no longer matches its recorded size and SHA-256").arg(backup);
    return false;
  }
  return true;
}

OpResult RestoreSnapshotUsb(UsbEnv& env, const SnapshotInfo& info) {
  OpResult r = BackupDownloadUsb(env, info.folder + QLatin1Char('/') + QLatin1String(kBackupName));
  if (!r.Ok() || info.frequency < kMinFrequency || info.frequency > kMaxFrequency) return r;
  const qint64 bytes = r.bytes;
  r = SetFrequencyUsb(env, info.frequency);
  r.bytes = bytes;
  return r;
}

}  // namespace quorvin
