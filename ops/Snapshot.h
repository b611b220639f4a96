#pragma once
// Snapshots: what a unit held (version, working frequency, backup data) before a change, kept in a
// folder of its own under $XDG_DATA_HOME/quorvin/snapshots/ with a small snapshot.json beside the
// backup. A change asked to take one first is not made when the snapshot fails.

#include <QDateTime>
#include <QString>
#include <vector>

#include "ops/Operations.h"

namespace quorvin {

struct SnapshotInfo {
  QString folder;  // absolute
  QString unit;    // the device it was taken from (its path), when known
  QDateTime time;
  QString version;
  qint32 frequency = 0;
  QString backupSha256;
  qint64 backupBytes = 0;
  QString tool;
};

[[nodiscard]] QString SnapshotRoot();

// Reads the unit's version, frequency and backup into a new snapshot folder. The boxes the reads
// would show are held back and shown only when the snapshot fails, so the change that follows
// speaks alone; a failed snapshot leaves no folder behind.
[[nodiscard]] OpResult TakeSnapshotUsb(UsbEnv& env, SnapshotInfo* info);

// Every snapshot, oldest first; folders without a readable snapshot.json are left out.
[[nodiscard]] std::vector<SnapshotInfo> ListSnapshots();

// A snapshot by folder path or by its name under SnapshotRoot(). False, with the reason, when it
// is missing, unreadable, or its backup no longer matches the recorded size and SHA-256.
[[nodiscard]] bool LoadSnapshot(const QString& nameOrPath, SnapshotInfo& info, QString* why);

// Puts a snapshot back: downloads its backup, then sets its frequency (when the device's value was
// one the set command takes).
[[nodiscard]] OpResult RestoreSnapshotUsb(UsbEnv& env, const SnapshotInfo& info);

}  // namespace quorvin
