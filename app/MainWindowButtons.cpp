// The main window's buttons. Each asks for what it needs on the GUI thread (a file, the frequency,
// the serial choice), then runs its operation on the worker through the run policy, which claims
// the unit at that moment; the USB or the serial form follows check box 1008 at the moment of the
// click. A click while an operation runs does nothing at all.

#include <QComboBox>
#include <QDebug>
#include <QPushButton>
#include <QSettings>

#include "app/MainWindow.h"
#include "app/QtFeedback.h"
#include "app/WindowLayout.h"
#include "front/RunPolicy.h"
#include "host/OutputFile.h"
#include "link/SerialPort.h"
#include "ops/FaultTexts.h"
#include "ops/Operations.h"

namespace quorvin {

void MainWindow::ConnectButtons() {
  const auto on = [this](int id, void (MainWindow::*handler)()) {
    connect(qobject_cast<QPushButton*>(Control(id)), &QPushButton::clicked, this, handler);
  };
  on(ctl::Upgrade, &MainWindow::OnUpgrade);
  on(ctl::ReadVersion, &MainWindow::OnReadVersion);
  on(ctl::BackupDownload, &MainWindow::OnBackupDownload);
  on(ctl::BackupReadBack, &MainWindow::OnBackupReadBack);
  on(ctl::SetFrequency, &MainWindow::OnSetFrequency);
  on(ctl::ReadFrequency, &MainWindow::OnReadFrequency);
  on(ctl::InitCallButtons, &MainWindow::OnInitCallButtons);
}

SerialChoice MainWindow::CurrentSerialChoice() const {
  const int item = m_comboPort->currentIndex();
  return {item >= 0 ? m_comboPort->itemText(item) : QString(), m_comboSpeed->currentText()};
}

Target MainWindow::CurrentTarget() const {
  Target target;
  if (!UsbSelected()) {
    target.link = LinkKind::Serial;
    target.serial = CurrentSerialChoice();
  }
  return target;
}

// With the setting snapshotBeforeChanges on, a change over USB first keeps what the unit held,
// and is not made when that fails. Read at the click, so a changed setting counts from the next
// operation.
bool MainWindow::SnapshotBeforeChanges() const {
  const QSettings settings(QSettings::NativeFormat, QSettings::UserScope, QStringLiteral("quorvin"),
                           QStringLiteral("quorvin-setup"));
  return UsbSelected() && settings.value(QStringLiteral("snapshotBeforeChanges"), false).toBool();
}

bool MainWindow::StartRun(RunPlan plan, std::function<OpResult(Channel&)> op) {
  // Read here, on the GUI thread, where the controls live; the unit is claimed on the worker, from
  // what is attached at that moment.
  const Target target = CurrentTarget();
  plan.program = QStringLiteral("quorvin-setup");
  // With QUORVIN_RECORD=FILE, each operation's traffic replaces FILE: the last one stays for
  // support to look at (or for quorvin-sim --replay).
  plan.recordPath = qEnvironmentVariable("QUORVIN_RECORD");
  return StartOperation([this, target, plan = std::move(plan), op = std::move(op)] {
    UnitClaim claim(&m_link->Backend(), m_serialPort.get(), *m_feedback, m_clock, m_lang);
    const RunReport report = RunOnUnit(claim, target, {}, plan, op);
    m_serialPort->Close();
    TellRefusal(report);
    if (!report.result.detail.isEmpty()) qInfo().noquote() << "operation ended:" << report.result.detail;
    if (report.history.Any() && !m_historyWarned.exchange(true))
      qWarning().noquote() << "the history could not be written:" << report.history.path
                           << FileProblemText(Language(), report.history);
    if (report.stop != RunStop::Recording && report.recording.Any())
      qWarning().noquote() << "the recording could not be written:" << report.recording.path
                           << FileProblemText(Language(), report.recording);
    if (!report.result.version.isEmpty())
      QMetaObject::invokeMethod(
          this,
          [this, path = report.device.info.path, version = report.result.version] {
            m_versionPath = path;
            m_version = version;
            UpdateDeviceStatus();
          },
          Qt::QueuedConnection);
  });
}

// On the worker: what kept the run from reaching the unit, in a box of its own.
void MainWindow::TellRefusal(const RunReport& report) {
  const QString holder = report.holderPid > 0 ? QString::number(report.holderPid) : QStringLiteral("?");
  QString text;
  switch (report.stop) {
    case RunStop::None:
    case RunStop::Snapshot:  // the snapshot's own boxes said why
      return;
    case RunStop::Recording:
      text = FileWriteMessage(m_lang, report.recording.path, FileProblemText(m_lang, report.recording));
      break;
    case RunStop::Claim:
      switch (report.claim) {
        case ClaimEnd::Claimed:
        case ClaimEnd::NoneAttached:
        case ClaimEnd::Interrupted:
          return;
        case ClaimEnd::NoMatch:
        case ClaimEnd::Several:
          text = m_lang.Text(QT_TRANSLATE_NOOP("quorvin",
                                               "Several repeaters are attached: the window does not know which one "
                                               "to use. Leave only one attached."));
          break;
        case ClaimEnd::Busy:
          // A quorvinctl driving the same repeater would garble both transfers.
          text = m_lang
                     .Text(QT_TRANSLATE_NOOP("quorvin",
                                             "The repeater %1 is in use by another program (process %2). Try again "
                                             "once it has finished."))
                     .arg(report.device.identity, holder);
          break;
        case ClaimEnd::LockFailed:
          text = m_lang.Text(QT_TRANSLATE_NOOP("quorvin", "The lock of the repeater %1 cannot be taken: %2"))
                     .arg(report.device.identity, report.result.detail);
          break;
      }
      break;
  }
  m_feedback->MessageBox(text, MsgIcon::Warning);
}

void MainWindow::OnUpgrade() { SendFile(QStringLiteral("upgrade"), QStringLiteral("test"), Upgrade); }

void MainWindow::OnBackupDownload() {
  SendFile(QStringLiteral("backup download"), QStringLiteral("back-up"), DownloadBackup);
}

void MainWindow::SendFile(const QString& operation, const QString& initialName, FileOp op) {
  if (m_runner.IsBusy()) return;
  const QString path = m_chooser->OpenBin(this, initialName);
  if (path.isEmpty()) return;
  StartRun({{}, operation, path, FileUse::Sent, SnapshotBeforeChanges(), {}},
           [op, path](Channel& ch) { return op(ch, path); });
}

void MainWindow::OnBackupReadBack() {
  if (m_runner.IsBusy()) return;
  const QString path = m_chooser->SaveBin(this, QStringLiteral("upload"));
  if (path.isEmpty()) return;
  m_readBackPath = path;
  // The chosen file is left as it is: the read-back replaces it only once every packet arrived,
  // so a failed read-back never costs the technician an earlier backup.
  StartRun({{}, QStringLiteral("backup read"), path, FileUse::Written, false, {}},
           [path](Channel& ch) { return ReadBackup(ch, path); });
}

void MainWindow::OnReadVersion() {
  if (m_runner.IsBusy()) return;
  StartRun({{}, QStringLiteral("version"), {}, FileUse::None, false, {}}, [](Channel& ch) { return ReadVersion(ch); });
}

void MainWindow::OnSetFrequency() {
  if (m_runner.IsBusy()) return;
  if (!SaveFrequency()) return;
  // Over USB only; unchecked, the checked value is kept and nothing is sent.
  if (!UsbSelected()) return;
  const qint32 hz = m_frequency;
  StartRun({{}, QStringLiteral("frequency set"), {}, FileUse::None, false, {}},
           [hz](Channel& ch) { return SetFrequency(ch, hz); });
}

void MainWindow::OnReadFrequency() {
  if (m_runner.IsBusy() || !UsbSelected()) return;
  StartRun({{}, QStringLiteral("frequency get"), {}, FileUse::None, false, {}}, [this](Channel& ch) {
    OpResult result = ReadFrequency(ch);
    if (result.Ok()) {
      const qint32 hz = result.frequency;
      QMetaObject::invokeMethod(
          this,
          [this, hz] {
            m_frequency = hz;
            ShowFrequency();
          },
          Qt::BlockingQueuedConnection);
    }
    return result;
  });
}

void MainWindow::OnInitCallButtons() {
  if (m_runner.IsBusy() || !UsbSelected()) return;
  StartRun({{}, QStringLiteral("init-buttons"), {}, FileUse::None, SnapshotBeforeChanges(), {}},
           [](Channel& ch) { return InitCallButtons(ch); });
}

}  // namespace quorvin
