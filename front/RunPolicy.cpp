#include "front/RunPolicy.h"

#include <optional>

#include "front/RunWords.h"
#include "host/History.h"
#include "host/TraceRecorder.h"
#include "ops/Operations.h"

namespace quorvin {

namespace {

// Counts how long the operation's boxes stood open: a run's time in the history is its own, not
// that of a result box left open over lunch.
class BoxClock final : public RelayFeedback {
 public:
  BoxClock(Feedback& inner, Clock& clock) : RelayFeedback(inner), m_clock(clock) {}
  void MessageBox(const QString& text, MsgIcon icon) override {
    const qint64 start = m_clock.NowMs();
    RelayFeedback::MessageBox(text, icon);
    m_boxMs += m_clock.NowMs() - start;
  }
  [[nodiscard]] qint64 BoxMs() const { return m_boxMs; }

 private:
  Clock& m_clock;
  qint64 m_boxMs = 0;
};

// What kept a claim from holding, as a result: the same words whichever front end asked.
OpResult Refusal(const UnitClaim& claim, ClaimEnd end) {
  OpResult r;
  r.outcome = Outcome::NotStarted;
  const QString unit = claim.Unit().identity;
  switch (end) {
    case ClaimEnd::Claimed:
    case ClaimEnd::NoneAttached:
      break;
    case ClaimEnd::NoMatch:
      r.linkFault = LinkFault::NotFound;
      r.detail = QStringLiteral("no attached repeater matches %1").arg(claim.GetTarget().device->value);
      break;
    case ClaimEnd::Several:
      r.linkFault = LinkFault::Ambiguous;
      r.detail = QStringLiteral("%1 repeaters fit; none was chosen").arg(claim.Listed().size());
      break;
    case ClaimEnd::Busy:
      r.linkFault = LinkFault::Busy;
      r.detail = claim.HolderPid() > 0 ? QStringLiteral("%1 is locked by process %2").arg(unit).arg(claim.HolderPid())
                                       : QStringLiteral("%1 is locked by another process").arg(unit);
      break;
    case ClaimEnd::LockFailed:
      // Nothing runs unlocked: who else drives the unit meanwhile would be anybody's guess.
      r.outcome = Outcome::FileError;
      r.detail = QStringLiteral("the lock of %1 cannot be taken: %2").arg(unit, claim.Detail());
      break;
    case ClaimEnd::Interrupted:
      r.outcome = Outcome::Interrupted;
      r.detail = QStringLiteral("stopped while waiting for %1").arg(unit);
      break;
  }
  return r;
}

// A USB operation that could not use its link leaves the reason untyped; the link itself tells a
// unit this user may not open, a HID layer that never started, and no unit at all.
void TypeUsbFault(OpResult& r, const HidLink& link) {
  if ((r.outcome != Outcome::Failed && r.outcome != Outcome::NotStarted) || r.linkFault != LinkFault::None) return;
  if (link.LastFault() == DiscoveryFault::AccessDenied)
    r.linkFault = LinkFault::PermissionDenied;
  else if (link.LastFault() == DiscoveryFault::LayerUnavailable)
    r.linkFault = LinkFault::HidUnavailable;
  else if (!link.LinkUp() && !link.SawMatchingDevice())
    r.linkFault = LinkFault::NotFound;
}

void WriteHistory(LinkKind link, const RunPlan& plan, const QDateTime& started, RunReport& report) {
  if (plan.program.isEmpty()) return;
  HistoryFacts f{plan.program, plan.operation, LinkName(link), report.unit, report.device.info.location, plan.file,
                 {},           started,        report.ms};
  const bool inPlace = plan.fileUse == FileUse::Sent || (plan.fileUse == FileUse::Written && report.result.Ok());
  if (!plan.file.isEmpty() && inPlace) f.sha256 = FileSha256(plan.file);
  (void)AppendHistory(HistoryEntry(f, report.result), &report.history);
}

void Describe(const UnitClaim& claim, RunReport& report) {
  report.link = claim.GetTarget().link;
  report.unit = claim.UnitName();
  report.device = claim.Unit();
  report.listed = claim.Listed();
  report.holderPid = claim.HolderPid();
}

RunReport Claimed(UnitClaim& claim, const RunPlan& plan, const std::function<OpResult(Channel&)>& op,
                  std::optional<TraceRecorder>& recorder, const QDateTime& started) {
  RunReport report;
  Describe(claim, report);
  Clock& clock = claim.GetChannel().clock;
  RelayFeedback& relay = claim.Relay();
  Feedback& user = relay.Target();
  BoxClock boxes(user, clock);
  relay.Use(boxes);
  const qint64 start = clock.NowMs();
  const auto finish = [&]() -> RunReport& {
    relay.Use(user);
    report.ms = clock.NowMs() - start - boxes.BoxMs();
    if (HidLink* link = claim.Link()) {
      TypeUsbFault(report.result, *link);
      report.discovery = link->LastFault();
    }
    WriteHistory(claim.GetTarget().link, plan, started, report);
    return report;
  };
  if (plan.snapshot) {
    SnapshotInfo taken;
    const OpResult snap = TakeSnapshot(claim, &taken);
    if (!snap.Ok()) {
      report.result = snap;
      report.stop = RunStop::Snapshot;
      return finish();
    }
    report.snapshot = taken;
  }
  std::optional<RecordingFeedback> recording;
  if (recorder) {
    recording.emplace(boxes, *recorder);
    relay.Use(*recording);
  }
  report.result = op(claim.GetChannel());
  relay.Use(boxes);
  QString why;
  if (recorder && !recorder->Finish(&why))
    report.recording = {FileProblem::Kind::System, plan.recordPath, why, OutputRefusal::None};
  else if (recorder)
    (void)KeepAsLastRecording(plan.recordPath, &report.recording);  // only the copy for a support bundle
  return finish();
}

// A recording that cannot even be started refuses the run before any unit is touched.
bool StartRecording(const RunPlan& plan, LinkKind link, std::optional<TraceRecorder>& recorder, RunReport& refused) {
  if (plan.recordPath.isEmpty()) return true;
  recorder.emplace(plan.recordPath, LinkName(link), QStringLiteral(QUORVIN_VERSION));
  QString why;
  if (recorder->Open(&why)) return true;
  refused.stop = RunStop::Recording;
  const OutputRefusal refusal = recorder->Refusal();
  refused.recording = {refusal == OutputRefusal::None ? FileProblem::Kind::System : FileProblem::Kind::Refused,
                       plan.recordPath, why, refusal};
  refused.result.outcome = Outcome::FileError;
  refused.result.fault = Fault::FileNotWritable;
  refused.result.detail = QStringLiteral("the recording %1 cannot be written: %2").arg(plan.recordPath, why);
  return false;
}

}  // namespace

RunReport RunOnUnit(UnitClaim& claim, const Target& target, const ClaimOptions& options, const RunPlan& plan,
                    const std::function<OpResult(Channel&)>& op) {
  const QDateTime started = QDateTime::currentDateTimeUtc();
  std::optional<TraceRecorder> recorder;
  RunReport refused;
  if (!StartRecording(plan, target.link, recorder, refused)) return refused;
  const ClaimEnd end = claim.Take(target, options);
  if (end == ClaimEnd::Claimed || end == ClaimEnd::NoneAttached) {
    RunReport report = Claimed(claim, plan, op, recorder, started);
    report.claim = end;
    return report;
  }
  if (recorder) recorder->Cancel();
  RunReport report;
  report.stop = RunStop::Claim;
  report.claim = end;
  Describe(claim, report);
  report.result = Refusal(claim, end);
  WriteHistory(claim.GetTarget().link, plan, started, report);
  return report;
}

RunReport RunClaimed(UnitClaim& claim, const RunPlan& plan, const std::function<OpResult(Channel&)>& op) {
  const QDateTime started = QDateTime::currentDateTimeUtc();
  std::optional<TraceRecorder> recorder;
  RunReport refused;
  if (!StartRecording(plan, claim.GetTarget().link, recorder, refused)) return refused;
  return Claimed(claim, plan, op, recorder, started);
}

FileProblem RecordRefusedRun(const RunPlan& plan, LinkKind link, const OpResult& result) {
  RunReport report;
  report.result = result;
  WriteHistory(link, plan, QDateTime::currentDateTimeUtc(), report);
  return report.history;
}

UnitLook LookAtUnit(UnitClaim& claim, const Target& target) {
  UnitLook look;
  look.report = RunOnUnit(claim, target, {}, {}, [&look](Channel& ch) {
    look.version = ReadVersion(ch);
    look.frequency = look.version.Ok() ? ReadFrequency(ch) : look.version;
    return look.frequency;
  });
  return look;
}

}  // namespace quorvin
