// The snapshots: taking one (`snapshot`; the --snapshot of a change is the run policy's), listing
// them, and putting one back.

#include <QFileInfo>
#include <QJsonArray>

#include "cli/ExitStatus.h"
#include "cli/Output.h"
#include "cli/Session.h"
#include "front/Snapshot.h"

namespace quorvin::cli {

int Session::Snapshot() {
  // The snapshot the policy takes before a change, with no change after it.
  OpResult nothing;
  nothing.outcome = Outcome::Success;
  const int status = OnUnit([nothing](Channel&) { return nothing; }, FileUse::None, /*snapshotFirst=*/true);
  if (status == kExitOk && m_extra.contains(QStringLiteral("snapshot")) && !m_o.json)
    m_fb.Say(m_lang.Text(QT_TRANSLATE_NOOP("quorvin", "Snapshot taken: %1"))
                 .arg(m_extra[QStringLiteral("snapshot")].toString()));
  return status;
}

int Session::Snapshots() {
  QJsonArray list;
  for (const SnapshotInfo& s : ListSnapshots()) {
    const QString name = QFileInfo(s.folder).fileName();
    if (!m_o.json)
      PrintOut(QStringLiteral("%1  %2  %3  %4 Hz  %5 bytes")
                   .arg(name, s.unit.isEmpty() ? QStringLiteral("-") : s.unit, s.version)
                   .arg(s.frequency)
                   .arg(s.backupBytes));
    list.append(QJsonObject{{QStringLiteral("name"), name},
                            {QStringLiteral("folder"), s.folder},
                            {QStringLiteral("unit"), s.unit},
                            {QStringLiteral("version"), s.version},
                            {QStringLiteral("frequency"), s.frequency},
                            {QStringLiteral("backupBytes"), s.backupBytes}});
  }
  OpResult r;
  r.outcome = Outcome::Success;
  m_extra[QStringLiteral("snapshots")] = list;
  return Finish(r);
}

int Session::Restore() {
  SnapshotInfo info;
  QString why;
  if (!LoadSnapshot(m_o.command.last(), info, &why)) {
    m_fb.Say(m_lang.Text(QT_TRANSLATE_NOOP("quorvin", "This snapshot cannot be restored: %1")).arg(why));
    OpResult r;
    r.outcome = Outcome::FileError;
    r.fault = Fault::Mismatch;
    r.detail = why;
    return Finish(r);
  }
  m_file = info.folder;
  return OnUnit([this, info](Channel& ch) {
    // Another unit's snapshot is put back only when asked to: it would overwrite this one's data.
    // The unit is told by its serial number and where it hangs, never by its device path, which
    // every unit plugged into the same socket gets.
    const AttachedRepeater& unit = m_claim->Unit();
    if (!m_o.force && !unit.identity.isEmpty() && !TakenFrom(info, unit)) {
      m_fb.Say(m_lang
                   .Text(QT_TRANSLATE_NOOP("quorvin",
                                           "This snapshot was taken from another unit (%1), not from this one (%2); "
                                           "add --force to restore it here anyway."))
                   .arg(SnapshotUnitText(info), unit.identity));
      OpResult r;
      r.outcome = Outcome::InvalidInput;
      r.detail = QStringLiteral("snapshot of %1, this unit is %2").arg(SnapshotUnitText(info), unit.identity);
      return r;
    }
    return RestoreSnapshot(ch, info);
  });
}

}  // namespace quorvin::cli
