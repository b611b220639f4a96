#include "front/Snapshot.h"

#include <QDir>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QStringList>
#include <cmath>

#include "front/FeedbackWrappers.h"
#include "front/UnitClaim.h"
#include "host/FileSystem.h"
#include "host/History.h"

namespace quorvin {

namespace {

constexpr char kBackupName[] = "backup.bin";
constexpr char kInfoName[] = "snapshot.json";
// Snapshots taken within the same millisecond (a bench of units at once) get -2, -3, ... after the
// time; past this many something is wrong with the folder, not with the clock.
constexpr int kMaxSameNames = 1000;

QJsonObject ToJson(const SnapshotInfo& s, bool serialShared) {
  return {{QStringLiteral("unit"), s.unit},
          {QStringLiteral("serial"), s.serial},
          {QStringLiteral("serialShared"), serialShared},
          {QStringLiteral("location"), s.location},
          {QStringLiteral("time"), s.time.toUTC().toString(Qt::ISODateWithMs)},
          {QStringLiteral("version"), s.version},
          {QStringLiteral("frequency"), s.frequency},
          {QStringLiteral("backupSha256"), s.backupSha256},
          {QStringLiteral("backupBytes"), s.backupBytes},
          {QStringLiteral("tool"), s.tool}};
}

// Only a whole number the set command takes is put back; anything else in the file (a fraction,
// a text, a value out of range) is kept from the device.
void ReadRecordedFrequency(const QJsonValue& v, SnapshotInfo& s) {
  const double d = v.toDouble(std::nan(""));
  s.frequencyValid = v.isDouble() && std::floor(d) == d && d >= kMinFrequency && d <= kMaxFrequency;
  s.frequency = s.frequencyValid ? static_cast<qint32>(d) : 0;
}

// Where the serial number was shared when the snapshot was taken, it told nothing on its own.
struct ReadBack {
  bool ok = false;
  bool serialShared = false;
};

ReadBack ReadInfo(const QString& folder, SnapshotInfo& s) {
  QFile file(folder + QLatin1Char('/') + QLatin1String(kInfoName));
  if (!fs::Inspect(file.fileName()).regular || !file.open(QIODevice::ReadOnly)) return {};
  const QJsonObject o = QJsonDocument::fromJson(file.read(1 << 20)).object();
  if (o.isEmpty()) return {};
  s.folder = folder;
  s.unit = o[QStringLiteral("unit")].toString();
  s.serial = o[QStringLiteral("serial")].toString();
  s.location = o[QStringLiteral("location")].toString();
  s.time = QDateTime::fromString(o[QStringLiteral("time")].toString(), Qt::ISODateWithMs);
  s.version = o[QStringLiteral("version")].toString();
  ReadRecordedFrequency(o[QStringLiteral("frequency")], s);
  s.backupSha256 = o[QStringLiteral("backupSha256")].toString();
  s.backupBytes = o[QStringLiteral("backupBytes")].toInteger();
  s.tool = o[QStringLiteral("tool")].toString();
  return {true, o[QStringLiteral("serialShared")].toBool()};
}

OpResult Failed(Outcome outcome, Fault fault, const QString& detail) {
  OpResult r;
  r.outcome = outcome;
  r.fault = fault;
  r.detail = detail;
  return r;
}

// Makes a folder of this snapshot's own: mkdir fails on a name that is there, so an earlier
// snapshot (or anything else) at that name is never reused, let alone removed.
QString NewFolder(const QString& name, QString& why) {
  const QString root = SnapshotRoot();
  if (!QDir().mkpath(root)) {
    why = QStringLiteral("%1 cannot be created").arg(root);
    return {};
  }
  const QDir dir(root);
  for (int n = 1; n <= kMaxSameNames; ++n) {
    const QString candidate = n == 1 ? name : QStringLiteral("%1-%2").arg(name).arg(n);
    if (dir.mkdir(candidate)) return dir.filePath(candidate);
    if (!QFileInfo::exists(dir.filePath(candidate))) {
      why = QStringLiteral("%1 cannot be created").arg(dir.filePath(candidate));
      return {};
    }
  }
  why = QStringLiteral("%1 holds too many snapshots named %2").arg(root, name);
  return {};
}

}  // namespace

QString SnapshotRoot() { return UserFolder(UserData::Data) + QStringLiteral("/snapshots"); }

OpResult TakeSnapshot(UnitClaim& claim, SnapshotInfo* info) {
  Channel& ch = claim.GetChannel();
  const auto refuse = [&](const QString& why) {
    ch.fb.MessageBox(
        ch.lang.Text(QT_TRANSLATE_NOOP("quorvin", "The snapshot could not be taken, so nothing was changed: %1"))
            .arg(why),
        MsgIcon::Warning);
    return Failed(Outcome::FileError, Fault::FileNotWritable, QStringLiteral("snapshot: ") + why);
  };
  if (!ch.Supports(Capability::Frequency))
    return Failed(Outcome::NotStarted, Fault::None, QStringLiteral("a snapshot reads the frequency: USB only"));
  SnapshotInfo s;
  s.time = QDateTime::currentDateTimeUtc();
  s.tool = QStringLiteral(QUORVIN_VERSION);
  const AttachedRepeater& unit = claim.Unit();
  s.unit = unit.identity;
  s.serial = unit.info.serial;
  // Where the platform tells no location, the path is what the unit goes by while it stays plugged in.
  s.location = unit.info.location.isEmpty() ? unit.info.path : unit.info.location;
  QString why;
  // A name that sorts by time.
  const QString folder = NewFolder(s.time.toString(QStringLiteral("yyyyMMdd-HHmmss-zzz")), why);
  if (folder.isEmpty()) return refuse(why);
  // From here on the folder is this snapshot's own, and goes if the snapshot fails.
  const auto failed = [&](const QString& reason) {
    QDir(folder).removeRecursively();
    return refuse(reason);
  };

  RelayFeedback& relay = claim.Relay();
  Feedback& outer = relay.Target();
  HeldBoxes quiet(outer);
  relay.Use(quiet);
  const QString backup = folder + QLatin1Char('/') + QLatin1String(kBackupName);
  OpResult r = ReadVersion(ch);
  if (r.Ok()) {
    s.version = r.version;
    r = ReadFrequency(ch);
  }
  if (r.Ok()) {
    s.frequency = r.frequency;
    s.frequencyValid = r.frequency >= kMinFrequency && r.frequency <= kMaxFrequency;
    r = ReadBackup(ch, backup);
  }
  relay.Use(outer);
  if (!r.Ok()) {
    quiet.ShowHeld();
    QDir(folder).removeRecursively();
    r.detail = QStringLiteral("snapshot: ") + r.detail;
    return r;
  }
  s.folder = folder;
  s.backupSha256 = FileSha256(backup);
  s.backupBytes = QFileInfo(backup).size();
  QFile json(folder + QLatin1Char('/') + QLatin1String(kInfoName));
  const QByteArray text = QJsonDocument(ToJson(s, unit.duplicateSerial)).toJson();
  QString syncWhy;
  if (!json.open(QIODevice::NewOnly) || json.write(text) != text.size() || !json.flush())
    return failed(json.fileName() + QStringLiteral(": ") + json.errorString());
  if (!fs::SyncToDisk(json.handle(), &syncWhy)) return failed(json.fileName() + QStringLiteral(": ") + syncWhy);
  json.close();
  fs::SyncFolderOf(json.fileName());
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
    if (ReadInfo(root.filePath(name), s).ok) list.push_back(s);
  }
  return list;
}

bool LoadSnapshot(const QString& nameOrPath, SnapshotInfo& info, QString* why) {
  const QString folder = QFileInfo(nameOrPath).isDir() ? QFileInfo(nameOrPath).absoluteFilePath()
                                                       : SnapshotRoot() + QLatin1Char('/') + nameOrPath;
  const ReadBack read = ReadInfo(folder, info);
  if (!read.ok) {
    if (why) *why = QStringLiteral("%1: no readable snapshot.json").arg(folder);
    return false;
  }
  // A serial number that was shared when the snapshot was taken does not name the unit.
  if (read.serialShared) info.serial.clear();
  const QString backup = folder + QLatin1Char('/') + QLatin1String(kBackupName);
  if (QFileInfo(backup).size() != info.backupBytes || FileSha256(backup) != info.backupSha256) {
    if (why) *why = QStringLiteral("%1 no longer matches its recorded size and SHA-256").arg(backup);
    return false;
  }
  return true;
}

bool TakenFrom(const SnapshotInfo& snapshot, const AttachedRepeater& unit) {
  const QString& serial = unit.info.serial;
  const QString& where = unit.info.location.isEmpty() ? unit.info.path : unit.info.location;
  const bool sameLocation = !snapshot.location.isEmpty() && snapshot.location == where;
  if (!snapshot.serial.isEmpty() && !serial.isEmpty())
    return snapshot.serial == serial && (!unit.duplicateSerial || sameLocation);
  // A unit without a serial number is known only by where it hangs.
  if (snapshot.serial.isEmpty() && serial.isEmpty()) return sameLocation;
  return false;
}

QString SnapshotUnitText(const SnapshotInfo& s) {
  if (s.location.isEmpty() || s.location == s.unit) return s.unit.isEmpty() ? QStringLiteral("?") : s.unit;
  return QStringLiteral("%1 (%2)").arg(s.unit, s.location);
}

OpResult RestoreSnapshot(Channel& ch, const SnapshotInfo& info) {
  OpResult r = DownloadBackup(ch, info.folder + QLatin1Char('/') + QLatin1String(kBackupName));
  if (!r.Ok()) return r;
  const qint64 bytes = r.bytes;
  if (!info.frequencyValid) {
    ch.fb.MessageBox(ch.lang
                         .Text(QT_TRANSLATE_NOOP("quorvin",
                                                 "The backup data were restored, but not the frequency: the "
                                                 "snapshot holds none that the unit takes (%1..%2 Hz)."))
                         .arg(kMinFrequency)
                         .arg(kMaxFrequency),
                     MsgIcon::Warning);
    r.outcome = Outcome::Failed;
    r.fault = Fault::OutOfRange;
    r.detail = QStringLiteral("backup restored; frequency not restored: the snapshot holds no frequency in %1..%2 Hz")
                   .arg(kMinFrequency)
                   .arg(kMaxFrequency);
    return r;
  }
  r = SetFrequency(ch, info.frequency);
  r.bytes = bytes;
  if (!r.Ok()) r.detail = QStringLiteral("backup restored; frequency not restored: ") + r.detail;
  return r;
}

}  // namespace quorvin
