#include "app/RunOutcome.h"

#include <QLocale>

#include "ops/FaultTexts.h"

namespace quorvin {

namespace {

QString Refusal(const Language& l, const RunReport& r) {
  const QString holder = r.holderPid > 0 ? QString::number(r.holderPid) : QStringLiteral("?");
  switch (r.claim) {
    case ClaimEnd::Claimed:
    case ClaimEnd::NoneAttached:
    case ClaimEnd::Interrupted:
      break;
    case ClaimEnd::NoMatch:
      return l.Text(QT_TRANSLATE_NOOP("quorvin", "The chosen repeater is not attached any more."));
    case ClaimEnd::Several:
      return l.Text(QT_TRANSLATE_NOOP("quorvin", "Several repeaters are attached: choose one in the list first."));
    case ClaimEnd::Busy:
      return l
          .Text(QT_TRANSLATE_NOOP("quorvin",
                                  "The repeater %1 is in use by another program (process %2). Try again once it "
                                  "has finished."))
          .arg(r.device.identity, holder);
    case ClaimEnd::LockFailed:
      return l.Text(QT_TRANSLATE_NOOP("quorvin", "The lock of the repeater %1 cannot be taken: %2"))
          .arg(r.device.identity, r.result.detail);
  }
  return {};
}

// The next step a technician can take, by what went wrong; empty when the words above say it all.
QString NextStep(const Language& l, const RunFacts& f, const RunReport& r) {
  const OpResult& res = r.result;
  if (PartialFirmwareRisk(f.op, res))
    return l.Text(QT_TRANSLATE_NOOP("quorvin",
                                    "The repeater may now hold a partial firmware: upgrade it again before using it."));
  switch (res.linkFault) {
    case LinkFault::NotFound:
      return l.Text(QT_TRANSLATE_NOOP(
          "quorvin", "Check that the repeater is plugged in and powered; it then appears in the list."));
    case LinkFault::PermissionDenied:
      if (r.link == LinkKind::Serial)
        return l.Text(QT_TRANSLATE_NOOP("quorvin",
                                        "This user may not open the port: add the user to the port's group (on most "
                                        "systems: sudo usermod -aG dialout $USER), then log in again. Help > Doctor "
                                        "names the group."));
      return l
          .Text(QT_TRANSLATE_NOOP("quorvin",
                                  "This user may not open it. The udev rule belongs in %1 (quorvinctl udev-rule "
                                  "prints it); with it in place, plug the repeater in again. Help > Doctor "
                                  "checks the set-up."))
          .arg(QStringLiteral(QUORVIN_UDEV_RULE_PATH));
    case LinkFault::Busy:
      return l.Text(QT_TRANSLATE_NOOP("quorvin", "Wait until the other program has finished, then try again."));
    case LinkFault::HidUnavailable:
    case LinkFault::Ambiguous:
      return {};
    case LinkFault::None:
      break;
  }
  switch (res.fault) {
    case Fault::PortFailure:
      return l.Text(QT_TRANSLATE_NOOP("quorvin", "Help > Doctor (or quorvinctl doctor) finds out why."));
    case Fault::NotSent:
    case Fault::NoReply:
    case Fault::Refused:
    case Fault::BadReply:
    case Fault::PacketMissing:
    case Fault::PacketError:
    case Fault::OutOfSequence:
    case Fault::Mismatch:
      return l.Text(QT_TRANSLATE_NOOP("quorvin",
                                      "Try again. If it fails again, save a support bundle (File menu) and send it "
                                      "to support."));
    default:
      return {};
  }
}

QString Bytes(const Language& l, qint64 n) {
  return l.Text(QT_TRANSLATE_NOOP("quorvin", "%1 bytes")).arg(QLocale(QLocale::English).toString(n));
}

// What a success adds to the operation's own words: which file, how large, and after an upgrade
// the version before and after.
QStringList SuccessLines(const Language& l, const RunFacts& f, const OpResult& r) {
  QStringList lines;
  if (!f.file.isEmpty())
    lines << l.Text(QT_TRANSLATE_NOOP("quorvin", "File: %1 (%2)"))
                 .arg(f.file, Bytes(l, f.fileBytes >= 0 ? f.fileBytes : r.bytes));
  if (f.op == OpKind::Upgrade && !r.version.isEmpty())
    lines << l.Text(QT_TRANSLATE_NOOP("quorvin", "Version: %1 → %2"))
                 .arg(f.oldVersion.isEmpty() ? QStringLiteral("?") : f.oldVersion, r.version);
  if (!f.unit.isEmpty()) lines << l.Text(QT_TRANSLATE_NOOP("quorvin", "Repeater: %1")).arg(f.unit);
  return lines;
}

}  // namespace

bool PartialFirmwareRisk(OpKind op, const OpResult& r) { return op == OpKind::Upgrade && !r.Ok() && r.bytes > 0; }

OutcomeBox ComposeOutcome(const Language& l, const RunFacts& f, const RunReport& report,
                          const std::vector<HeldBox>& boxes) {
  const OpResult& r = report.result;
  OutcomeBox box;
  QStringList details;
  if (report.stop == RunStop::Claim && report.claim != ClaimEnd::Interrupted &&
      report.claim != ClaimEnd::NoneAttached) {
    box.icon = MsgIcon::Warning;
    box.text = Refusal(l, report);
    box.details = NextStep(l, f, report);
    return box;
  }
  if (r.outcome == Outcome::Success) {
    box.icon = MsgIcon::Information;
    if (boxes.empty() && f.op == OpKind::FrequencyGet) return {};  // the field shows what was read
    if (f.op == OpKind::Snapshot && report.snapshot) {
      box.text = l.Text(QT_TRANSLATE_NOOP("quorvin", "Snapshot taken: %1")).arg(report.snapshot->folder);
      box.details = SuccessLines(l, f, r).join(QLatin1Char('\n'));
      return box;
    }
    box.text = boxes.empty() ? l.Text(QT_TRANSLATE_NOOP("quorvin", "Done.")) : boxes.front().text;
    for (std::size_t i = 1; i < boxes.size(); ++i) details << boxes[i].text;
    details << SuccessLines(l, f, r);
    box.details = details.join(QLatin1Char('\n'));
    return box;
  }
  if (r.outcome == Outcome::Interrupted) {
    box.icon = MsgIcon::Warning;
    box.text = l.Text(QT_TRANSLATE_NOOP("quorvin", "The operation was stopped."));
    if (f.op == OpKind::ReadBack && !f.file.isEmpty())
      details << l.Text(QT_TRANSLATE_NOOP("quorvin", "%1 is left as it was.")).arg(f.file);
  } else {
    // A refusal changes nothing and is a warning; everything else is a fault.
    const bool refused = r.outcome == Outcome::InvalidInput || r.outcome == Outcome::NotStarted ||
                         r.linkFault == LinkFault::Busy || r.linkFault == LinkFault::Ambiguous ||
                         report.stop == RunStop::Snapshot || report.stop == RunStop::Recording;
    box.icon = refused ? MsgIcon::Warning : MsgIcon::Critical;
    // The operation's last words name what failed; the ones before it say why. A snapshot that
    // failed says so first: the change itself was never tried.
    box.text = boxes.empty() ? l.Text(QT_TRANSLATE_NOOP("quorvin", "The operation failed.")) : boxes.back().text;
    for (std::size_t i = 0; i + 1 < boxes.size(); ++i) details << boxes[i].text;
    if (report.stop == RunStop::Snapshot) {
      if (!boxes.empty()) details << boxes.back().text;
      box.text = l.Text(QT_TRANSLATE_NOOP("quorvin",
                                          "The snapshot before the change could not be taken, so nothing "
                                          "was changed."));
    }
    if (r.outcome == Outcome::QuietEnd && boxes.empty())
      box.text = l.Text(
          QT_TRANSLATE_NOOP("quorvin", "The repeater ended the transfer without saying whether it took the data."));
    // The cause in the user's words; the operation's own account (which command, which packet)
    // below it, as support will want it.
    const QString cause = FaultCauseText(l, r.fault);
    if (!cause.isEmpty()) details << l.Text(QT_TRANSLATE_NOOP("quorvin", "Cause: %1")).arg(cause);
    if (!r.detail.isEmpty())
      details << (cause.isEmpty() ? l.Text(QT_TRANSLATE_NOOP("quorvin", "Cause: %1"))
                                  : l.Text(QT_TRANSLATE_NOOP("quorvin", "Details: %1")))
                     .arg(r.detail);
  }
  const QString next = NextStep(l, f, report);
  if (!next.isEmpty()) details << next;
  box.details = details.join(QLatin1Char('\n'));
  return box;
}

}  // namespace quorvin
