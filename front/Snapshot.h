#pragma once
// Snapshots: what a unit held (version, working frequency, backup data) before a change, kept in a
// folder of its own under $XDG_DATA_HOME/quorvin/snapshots/ with a small snapshot.json beside the
// backup. A change asked to take one first is not made when the snapshot fails.

#include <QDateTime>
#include <QString>
#include <vector>

#include "link/DeviceSelector.h"
#include "ops/Operations.h"

namespace quorvin {

class UnitClaim;

struct SnapshotInfo {
  QString folder;  // absolute
  // Which unit it was taken from: the identity it went by then, its serial number and where it
  // hung. Older snapshots recorded only the device path, in `unit`.
  QString unit;
  QString serial;
  QString location;
  QDateTime time;
  QString version;
  qint32 frequency = 0;
  bool frequencyValid = false;  // the recorded frequency is a whole number the set command takes
  QString backupSha256;
  qint64 backupBytes = 0;
  QString tool;
};

[[nodiscard]] QString SnapshotRoot();

// Reads the claimed unit's version, frequency and backup into a new snapshot folder. The boxes the
// reads would show are held back and shown only when the snapshot fails, so the change that
// follows speaks alone. The folder is made new (never one that was there), and a failed snapshot
// takes away only what it made itself.
[[nodiscard]] OpResult TakeSnapshot(UnitClaim& claim, SnapshotInfo* info);

// Every snapshot, oldest first; folders without a readable snapshot.json are left out.
[[nodiscard]] std::vector<SnapshotInfo> ListSnapshots();

// A snapshot by folder path or by its name under SnapshotRoot(). False, with the reason, when it
// is missing, unreadable, or its backup no longer matches the recorded size and SHA-256.
[[nodiscard]] bool LoadSnapshot(const QString& nameOrPath, SnapshotInfo& info, QString* why);

// Whether `snapshot` was taken from `unit`: by its serial number, and where two attached units
// share one (or neither has any) by where it hangs too. A snapshot that recorded neither cannot
// be told to be this unit's.
[[nodiscard]] bool TakenFrom(const SnapshotInfo& snapshot, const AttachedRepeater& unit);
// How a snapshot names its unit to the user: its identity then, with the serial number and place.
[[nodiscard]] QString SnapshotUnitText(const SnapshotInfo& snapshot);

// Puts a snapshot back: downloads its backup, then sets its frequency. A frequency the set
// command cannot take leaves the backup restored and the run failed (Fault::OutOfRange), both
// parts named; it is never a success.
[[nodiscard]] OpResult RestoreSnapshot(Channel& ch, const SnapshotInfo& info);

}  // namespace quorvin
