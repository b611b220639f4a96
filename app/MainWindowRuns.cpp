// The main window's buttons. Each asks for what it needs on the GUI thread (a file, the
// frequency, the technician's consent to a change), then runs its operation on the worker through
// the run policy, which claims the unit at that moment. The operation's own boxes are held back
// and become the one box the run ends with.

#include <QCheckBox>
#include <QDebug>
#include <QFileInfo>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>

#include "app/Controls.h"
#include "app/DeviceCard.h"
#include "app/HistoryView.h"
#include "app/LinkPanel.h"
#include "app/LogPane.h"
#include "app/MainWindow.h"
#include "app/OperationsPanel.h"
#include "app/ProgressPanel.h"
#include "app/QtFeedback.h"
#include "app/Settings.h"
#include "app/SnapshotsView.h"
#include "app/UnitList.h"
#include "front/FrequencyInput.h"
#include "front/RunWords.h"
#include "front/SupportBundle.h"
#include "host/History.h"
#include "link/SerialPort.h"
#include "ops/FaultTexts.h"
#include "ops/Operations.h"

namespace quorvin {

namespace {

// Keeps the operation's boxes for the one box the run ends with; everything else goes on to the
// window as it comes.
class BoxCollector final : public RelayFeedback {
 public:
  using RelayFeedback::RelayFeedback;
  void MessageBox(const QString& text, MsgIcon icon) override { m_boxes.push_back({text, icon}); }
  [[nodiscard]] const std::vector<HeldBox>& Boxes() const { return m_boxes; }

 private:
  std::vector<HeldBox> m_boxes;
};

FileUseKind FolderOf(OpKind op) {
  return op == OpKind::Upgrade    ? FileUseKind::Upgrade
         : op == OpKind::Download ? FileUseKind::Download
                                  : FileUseKind::ReadBack;
}

}  // namespace

void MainWindow::OnButton(int id) {
  if (m_runner.IsBusy()) {
    // A click while a unit's first look is under way (a tenth of a second) is kept for after it;
    // during an operation a click does nothing at all.
    if (m_probing) m_pendingClick = id;
    return;
  }
  switch (id) {
    case ctl::Upgrade:
      return RequestUpgrade();
    case ctl::ReadVersion:
      return RequestVersion();
    case ctl::BackupDownload:
      return RequestDownload();
    case ctl::BackupReadBack:
      return RequestReadBack();
    case ctl::SetFrequency:
      return RequestFrequencySet();
    case ctl::ReadFrequency:
      return RequestFrequencyGet();
    case ctl::InitCallButtons:
      return RequestInitButtons();
    default:
      return;
  }
}

QString MainWindow::ChosenName() const {
  if (!UsbSelected()) return m_link->Port();
  const std::optional<AttachedRepeater> unit = m_units->Chosen();
  if (!unit) return m_lang.Text(QT_TRANSLATE_NOOP("quorvin", "the repeater"));
  const QString where = unit->info.location.isEmpty() ? unit->info.path : unit->info.location;
  return where == unit->identity ? unit->identity : QStringLiteral("%1 (%2)").arg(unit->identity, where);
}

std::optional<Target> MainWindow::CurrentTarget() {
  Target target;
  if (!UsbSelected()) {
    if (m_link->Port().isEmpty()) {
      ShowBox(MsgIcon::Warning,
              m_lang.Text(QT_TRANSLATE_NOOP("quorvin",
                                            "There is no serial port to use: plug in the adapter, or "
                                            "choose USB under Link.")),
              {});
      return std::nullopt;
    }
    target.link = LinkKind::Serial;
    target.serial = {m_link->Port(), m_link->Speed()};
    return target;
  }
  const std::optional<AttachedRepeater> unit = m_units->Chosen();
  if (unit && m_units->ChosenPresent()) {
    // Named by where it hangs: the claim checks at the click that this very unit is still there.
    target.device = unit->info.location.isEmpty() ? DeviceSelector{DeviceSelector::Kind::Path, unit->info.path}
                                                  : DeviceSelector{DeviceSelector::Kind::Location, unit->info.location};
    return target;
  }
  if (unit) {
    // Chosen, and gone: never the neighbour instead.
    ShowBox(MsgIcon::Warning,
            m_lang
                .Text(QT_TRANSLATE_NOOP("quorvin",
                                        "The chosen repeater %1 is not attached: plug it in again, or "
                                        "choose another in the list."))
                .arg(unit->identity),
            {});
    return std::nullopt;
  }
  if (m_units->PresentCount() > 1) {
    ShowBox(MsgIcon::Warning,
            m_lang.Text(QT_TRANSLATE_NOOP("quorvin", "Several repeaters are attached: choose one in the list first.")),
            {});
    return std::nullopt;
  }
  // None (or one the list has not seen yet): the claim finds out, and the operation says so.
  return target;
}

bool MainWindow::Consented(const ChangeQuestion& question) {
  const QString unit = UsbSelected() ? (m_units->Chosen() ? m_units->Chosen()->identity : QString()) : m_link->Port();
  if (!Settings::AskFor(unit)) return true;
  switch (m_asker->Ask(this, m_lang, question)) {
    case Consent::Cancel:
      return false;
    case Consent::GoAndStopAsking:
      Settings::StopAskingFor(unit);
      return true;
    case Consent::Go:
      return true;
  }
  return false;
}

QString MainWindow::ChooseFile(OpKind op) {
  FileQuestion q;
  q.folder = Settings::Folder(FolderOf(op));
  switch (op) {
    case OpKind::Upgrade:
      q = {m_lang.Text(QT_TRANSLATE_NOOP("quorvin", "Choose the firmware image")), q.folder, QStringLiteral("test"),
           m_lang.Text(QT_TRANSLATE_NOOP("quorvin", "Firmware images (*.bin)"))};
      break;
    case OpKind::Download:
      q = {m_lang.Text(QT_TRANSLATE_NOOP("quorvin", "Choose the backup data to send into the repeater")), q.folder,
           QStringLiteral("back-up"), m_lang.Text(QT_TRANSLATE_NOOP("quorvin", "Backup data (*.bin)"))};
      break;
    default:
      q = {m_lang.Text(QT_TRANSLATE_NOOP("quorvin", "Save the repeater's backup data as")), q.folder,
           QStringLiteral("upload"), m_lang.Text(QT_TRANSLATE_NOOP("quorvin", "Backup data (*.bin)"))};
      break;
  }
  const QString path = op == OpKind::ReadBack ? m_chooser->SaveBin(this, q) : m_chooser->OpenBin(this, q);
  if (!path.isEmpty()) Settings::SetFolder(FolderOf(op), QFileInfo(path).absolutePath());
  return path;
}

void MainWindow::RequestVersion() {
  RunFacts facts{OpKind::Version, ChosenName(), {}, -1, {}};
  Run(facts, {{}, QStringLiteral("version"), {}, FileUse::None, false, {}},
      [](Channel& ch) { return ReadVersion(ch); });
}

void MainWindow::RequestFrequencyGet() {
  if (!UsbSelected()) return;  // USB only: the button is disabled over serial
  Run({OpKind::FrequencyGet, ChosenName(), {}, -1, {}},
      {{}, QStringLiteral("frequency get"), {}, FileUse::None, false, {}},
      [](Channel& ch) { return ReadFrequency(ch); });
}

void MainWindow::RequestFrequencySet() {
  if (!UsbSelected()) return;
  QString prompt;
  QLineEdit* field = m_ops->FrequencyField();
  const std::optional<qint32> hz = ParseFrequency(field->text(), m_lang, &prompt);
  if (!hz) {
    ShowBox(MsgIcon::Warning, prompt, {});
    field->setFocus(Qt::OtherFocusReason);
    field->selectAll();
    return;
  }
  // Shown as the unit will hold it, in Hz, whatever unit it was typed in.
  field->setText(FrequencyFieldText(*hz));
  ChangeQuestion q;
  q.op = OpKind::FrequencySet;
  q.unit = ChosenName();
  q.hz = *hz;
  if (!CurrentTarget() || !Consented(q)) return;
  Run({OpKind::FrequencySet, q.unit, {}, -1, {}},
      {{}, QStringLiteral("frequency set"), {}, FileUse::None, m_ops->SnapshotBox()->isChecked(), {}},
      [hz](Channel& ch) { return SetFrequency(ch, *hz); });
}

void MainWindow::RequestInitButtons() {
  if (!UsbSelected()) return;
  ChangeQuestion q;
  q.op = OpKind::InitButtons;
  q.unit = ChosenName();
  if (!CurrentTarget() || !Consented(q)) return;
  Run({OpKind::InitButtons, q.unit, {}, -1, {}},
      {{}, QStringLiteral("init-buttons"), {}, FileUse::None, m_ops->SnapshotBox()->isChecked(), {}},
      [](Channel& ch) { return InitCallButtons(ch); });
}

void MainWindow::RequestUpgrade(const QString& dropped) {
  const QString path = dropped.isEmpty() ? ChooseFile(OpKind::Upgrade) : dropped;
  if (path.isEmpty() || !CurrentTarget()) return;
  ChangeQuestion q{OpKind::Upgrade, ChosenName(), path, QFileInfo(path).size(), FileSha256(path), std::nullopt};
  // A dropped file was asked about already, with its size and hash, in the drop's own question.
  if (dropped.isEmpty() && !Consented(q)) return;
  const std::optional<UnitFacts> before = m_units->Facts(m_units->ChosenKey());
  RunFacts facts{OpKind::Upgrade, q.unit, path, q.bytes, before ? before->version : QString()};
  const bool snapshot = UsbSelected() && m_ops->SnapshotBox()->isChecked();
  Run(facts, {{}, QStringLiteral("upgrade"), path, FileUse::Sent, snapshot, {}}, [path](Channel& ch) {
    OpResult r = Upgrade(ch, path);
    if (!r.Ok()) return r;
    // The version it runs now, for the box to show before and after; read without boxes of its own.
    SilentFeedback quiet(ch.fb);
    const std::unique_ptr<Channel> silent = ch.SpeakingThrough(quiet);
    const OpResult now = ReadVersion(*silent);
    if (now.Ok()) r.version = now.version;
    return r;
  });
}

void MainWindow::RequestDownload(const QString& dropped) {
  const QString path = dropped.isEmpty() ? ChooseFile(OpKind::Download) : dropped;
  if (path.isEmpty() || !CurrentTarget()) return;
  ChangeQuestion q{OpKind::Download, ChosenName(), path, QFileInfo(path).size(), FileSha256(path), std::nullopt};
  if (dropped.isEmpty() && !Consented(q)) return;
  const bool verify = m_ops->VerifyBox()->isChecked();
  const bool snapshot = UsbSelected() && m_ops->SnapshotBox()->isChecked();
  Run({OpKind::Download, q.unit, path, q.bytes, {}},
      {{}, QStringLiteral("backup download"), path, FileUse::Sent, snapshot, {}}, [path, verify](Channel& ch) {
        // Read back and compared, as quorvinctl's --verify does.
        return verify ? DownloadAndVerify(ch, path) : DownloadBackup(ch, path);
      });
}

void MainWindow::RequestReadBack() {
  const QString path = ChooseFile(OpKind::ReadBack);
  if (path.isEmpty() || !CurrentTarget()) return;
  m_readBackPath = path;
  // The chosen file is left as it is: the read-back replaces it only once every packet arrived,
  // so a failed read-back never costs the technician an earlier backup.
  Run({OpKind::ReadBack, ChosenName(), path, -1, {}},
      {{}, QStringLiteral("backup read"), path, FileUse::Written, false, {}},
      [path](Channel& ch) { return ReadBackup(ch, path); });
}

void MainWindow::RequestRestore(const SnapshotInfo& snapshot) {
  if (Working()) return;
  if (!UsbSelected()) {
    ShowBox(MsgIcon::Warning,
            m_lang.Text(QT_TRANSLATE_NOOP("quorvin", "A snapshot is put back over USB: choose USB under Link.")), {});
    return;
  }
  const std::optional<AttachedRepeater> unit = m_units->Chosen();
  if (!unit || !m_units->ChosenPresent()) {
    (void)CurrentTarget();  // says why there is none
    if (!unit || !m_units->ChosenPresent()) return;
  }
  const QString name = QFileInfo(snapshot.folder).fileName();
  if (!TakenFrom(snapshot, *unit)) {
    // Another unit's data over this one's: always asked, whatever the bench asked to skip.
    QMessageBox ask(QMessageBox::Warning, ProductTitle(m_lang),
                    m_lang
                        .Text(QT_TRANSLATE_NOOP("quorvin",
                                                "The snapshot %1 was taken from another unit (%2), not from this one "
                                                "(%3). Put it onto %3 anyway? Its backup data and frequency replace "
                                                "what %3 holds."))
                        .arg(name, SnapshotUnitText(snapshot), ChosenName()),
                    QMessageBox::NoButton, this);
    ask.setObjectName(QStringLiteral("restoreOtherUnit"));
    QPushButton* go =
        ask.addButton(m_lang.Text(QT_TRANSLATE_NOOP("quorvin", "&Restore onto this unit")), QMessageBox::AcceptRole);
    AddSafeAnswer(ask, m_lang.Text(QT_TRANSLATE_NOOP("quorvin", "&Cancel")));
    ask.exec();
    if (ask.clickedButton() != go) return;
  } else {
    ChangeQuestion q;
    q.op = OpKind::Restore;
    q.unit = ChosenName();
    q.file = name;
    if (!Consented(q)) return;
  }
  Run({OpKind::Restore, ChosenName(), {}, -1, {}},
      {{}, QStringLiteral("restore"), snapshot.folder, FileUse::None, m_ops->SnapshotBox()->isChecked(), {}},
      [snapshot](Channel& ch) { return RestoreSnapshot(ch, snapshot); });
}

void MainWindow::RequestSnapshot() {
  if (Working()) return;
  if (!UsbSelected()) {
    ShowBox(MsgIcon::Warning,
            m_lang.Text(QT_TRANSLATE_NOOP("quorvin", "A snapshot is taken over USB: choose USB under Link.")), {});
    return;
  }
  if (!CurrentTarget()) return;
  // The run policy's snapshot, with no change after it.
  Run({OpKind::Snapshot, ChosenName(), {}, -1, {}},
      {{}, QStringLiteral("snapshot"), {}, FileUse::None, /*snapshot=*/true, {}}, [](Channel&) {
        OpResult nothing;
        nothing.outcome = Outcome::Success;
        return nothing;
      });
}

void MainWindow::SaveSupportBundle(const QString& path) {
  const BundleReport bundle = WriteSupportBundle(path, QStringLiteral("quorvin-setup"));
  for (const FileProblem& problem : bundle.leftOut)
    m_log->Append(LogPane::Level::Warning, m_lang.Text(QT_TRANSLATE_NOOP("quorvin", "%1 is left out of the bundle: %2"))
                                               .arg(problem.path, FileProblemText(m_lang, problem)));
  if (!bundle.Written()) {
    const QString why = bundle.refusal != OutputRefusal::None ? OutputRefusalText(m_lang, bundle.refusal, bundle.reason)
                                                              : bundle.reason;
    m_log->Append(LogPane::Level::Fault, FileWriteMessage(m_lang, path, why));
    ShowBox(MsgIcon::Critical, FileWriteMessage(m_lang, path, why), {});
    return;
  }
  const QString text = m_lang.Text(QT_TRANSLATE_NOOP("quorvin", "The support bundle is saved: %1")).arg(path);
  m_log->Append(LogPane::Level::Info,
                text + QStringLiteral(" (") + bundle.contents.join(QStringLiteral(", ")) + QLatin1Char(')'));
  ShowBox(MsgIcon::Information, text, bundle.contents.join(QLatin1Char('\n')));
}

void MainWindow::Run(const RunFacts& facts, RunPlan plan, std::function<OpResult(Channel&)> op) {
  const std::optional<Target> target = CurrentTarget();
  if (!target) return;
  plan.program = QStringLiteral("quorvin-setup");
  // With QUORVIN_RECORD=FILE, each operation's traffic replaces FILE: the last one stays for
  // support to look at (or for quorvin-sim --replay).
  plan.recordPath = qEnvironmentVariable("QUORVIN_RECORD");
  m_cancel = false;
  SetBusy(true);
  const bool started = StartOperation([this, facts, plan, op = std::move(op), target = *target] {
    BoxCollector boxes(*m_feedback);
    UnitClaim claim(&m_backend, m_serialPort.get(), boxes, m_clock, m_lang);
    const RunReport report = RunOnUnit(claim, target, {}, plan, op);
    m_serialPort->Close();
    QMetaObject::invokeMethod(
        this, [this, facts, report, held = boxes.Boxes()] { Finish(facts, report, held); }, Qt::QueuedConnection);
  });
  if (!started) SetBusy(false);
}

void MainWindow::Finish(const RunFacts& facts, const RunReport& report, const std::vector<HeldBox>& boxes) {
  CloseProgress();
  SetBusy(false);
  const OpResult& r = report.result;
  if (!r.detail.isEmpty()) qInfo().noquote() << "operation ended:" << r.detail;
  if (report.history.Any() && !m_historyWarned.exchange(true))
    qWarning().noquote() << "the history could not be written:" << report.history.path
                         << FileProblemText(Language(), report.history);
  if (report.stop != RunStop::Recording && report.recording.Any())
    qWarning().noquote() << "the recording could not be written:" << report.recording.path
                         << FileProblemText(Language(), report.recording);
  // What the run learnt of the unit goes onto its card and into the list.
  const QString key = UnitList::UnitKey(report.device);
  if (!report.device.identity.isEmpty()) {
    UnitFacts known = m_units->Facts(key).value_or(UnitFacts{});
    if (!r.version.isEmpty()) known.version = r.version;
    if (r.Ok() && (facts.op == OpKind::FrequencyGet || facts.op == OpKind::FrequencySet)) known.frequency = r.frequency;
    // The state says how the unit last behaved: "ready" after a failure would hide it.
    if (report.claim == ClaimEnd::Busy)
      known.state = m_lang.Text(QT_TRANSLATE_NOOP("quorvin", "in use by another program (process %1)"))
                        .arg(report.holderPid > 0 ? QString::number(report.holderPid) : QStringLiteral("?"));
    else if (r.outcome == Outcome::Failed || r.outcome == Outcome::QuietEnd)
      known.state = m_lang.Text(QT_TRANSLATE_NOOP("quorvin", "the last operation failed"));
    else if (r.outcome == Outcome::Interrupted && ChangesTheUnit(facts.op))
      // A change stopped part-way may have left part of it behind (a partial firmware).
      known.state = m_lang.Text(QT_TRANSLATE_NOOP("quorvin", "the last change was stopped part-way"));
    else
      known.state.clear();
    m_units->SetFacts(key, known);
    if (r.Ok() && (facts.op == OpKind::FrequencyGet || facts.op == OpKind::FrequencySet))
      m_ops->ShowFrequency(r.frequency, /*read=*/true);
  }
  ShowChosen();
  // A run stopped so that the window can close ends without a box: the window goes.
  const OutcomeBox box = m_closing ? OutcomeBox{} : ComposeOutcome(m_lang, facts, report, boxes);
  // The log keeps what the box said, with the unit and the cause, at the level of operations.
  const LogPane::Level level = r.Ok()                          ? LogPane::Level::Info
                               : box.icon == MsgIcon::Critical ? LogPane::Level::Fault
                                                               : LogPane::Level::Warning;
  QString line = QStringLiteral("%1: %2").arg(facts.unit.isEmpty() ? report.unit : facts.unit,
                                              box.text.isEmpty() ? OutcomeName(r.outcome) : box.text);
  if (!r.detail.isEmpty()) line += QStringLiteral(" (%1)").arg(r.detail);
  m_log->Append(level, line);
  if (report.snapshot)
    m_log->Append(LogPane::Level::Info,
                  m_lang.Text(QT_TRANSLATE_NOOP("quorvin", "Snapshot taken: %1")).arg(report.snapshot->folder));
  m_history->Refresh();
  if (report.snapshot || facts.op == OpKind::Restore) m_snapshots->Refresh();
  if (box.icon != MsgIcon::None || !box.text.isEmpty()) ShowBox(box.icon, box.text, box.details);
  emit runEnded();
  m_watcher->LookNow();
}

}  // namespace quorvin
