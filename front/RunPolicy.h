#pragma once
// A run from start to end, the same for the window, quorvinctl and the station:
//   claim the unit (resolve it and take its lock, front/UnitClaim.h)
//   -> keep what it holds in a snapshot, when asked (the change is not made when that fails)
//   -> record what crosses the link, when asked
//   -> run the operation
//   -> one line in the history.
// No front end reaches a repeater any other way. Nothing here talks to the user beyond what the
// operation itself shows: a refused claim, a recording or a history that could not be written
// come back typed in the report, for each front end to tell its own way.

#include <QDateTime>
#include <functional>
#include <optional>

#include "front/Snapshot.h"
#include "front/UnitClaim.h"
#include "ops/OpResult.h"

namespace quorvin {

// What a run does with its file, for the history's hash of it.
enum class FileUse {
  None,
  Sent,     // read and sent: hashed as it was sent
  Written,  // put in place by a read-back: hashed only once it is there
};

struct RunPlan {
  QString program;    // the history's "program"; empty: no history line (the station keeps a report)
  QString operation;  // the history's "operation": "upgrade", "backup read", ...
  QString file;       // the file sent, or written by a read-back
  FileUse fileUse = FileUse::None;
  bool snapshot = false;  // keep what the unit held first (needs the frequency: USB only)
  QString recordPath;     // record what crosses the link into this file; empty: no recording
};

// Where a run stopped short of its operation.
enum class RunStop {
  None,       // the operation ran
  Claim,      // the unit could not be claimed (RunReport::claim says why)
  Recording,  // the recording asked for could not be started: nothing was sent
  Snapshot,   // the snapshot asked for could not be taken: the change was not made
};

struct RunReport {
  OpResult result;  // the operation's, or what kept it from running
  RunStop stop = RunStop::None;
  LinkKind link = LinkKind::Usb;
  ClaimEnd claim = ClaimEnd::Claimed;
  QString unit;             // what the history names: the unit's identity, or the serial port
  AttachedRepeater device;  // USB: the unit driven (or the one another process holds)
  std::vector<AttachedRepeater> listed;
  qint64 holderPid = 0;
  std::optional<SnapshotInfo> snapshot;  // the snapshot taken before the operation
  // What the link last met opening the unit: a repeater that is there but would not open.
  DiscoveryFault discovery = DiscoveryFault::None;
  qint64 ms = 0;  // the run's own time, without the time its boxes stood open
  // The recording could not be started (RunStop::Recording) or written (the run's outcome stands).
  FileProblem recording;
  FileProblem history;  // the history line could not be written (likewise)
};

// Claims the unit `target` names, then runs `op` on it as RunClaimed does. A refused claim still
// leaves its line in the history.
[[nodiscard]] RunReport RunOnUnit(UnitClaim& claim, const Target& target, const ClaimOptions& options,
                                  const RunPlan& plan, const std::function<OpResult(Channel&)>& op);

// A look at a unit, as the lists of units show it: its version, then its frequency, read under its
// lock, so a unit another program drives is left alone (report.stop says so).
struct UnitLook {
  RunReport report;
  OpResult version;
  OpResult frequency;
};
[[nodiscard]] UnitLook LookAtUnit(UnitClaim& claim, const Target& target);

// Runs `op` on a unit already claimed (the station's recipe: one claim, many steps): snapshot,
// recording, the operation and its history line.
[[nodiscard]] RunReport RunClaimed(UnitClaim& claim, const RunPlan& plan, const std::function<OpResult(Channel&)>& op);

// The history line of a run its front end refused before any unit was claimed (a frequency out of
// range, a snapshot that cannot be restored): it was asked for, so it is written down. Answers the
// problem when the line could not be written.
[[nodiscard]] FileProblem RecordRefusedRun(const RunPlan& plan, LinkKind link, const OpResult& result);

}  // namespace quorvin
