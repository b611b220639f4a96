// The main window's buttons. Each asks for what it needs on the GUI thread (a file, the frequency,
// the serial choice), then runs its operation on the worker; the USB or the serial form follows
// check box 1008 at the moment of the click. A click while an operation runs does nothing at all.

#include <QComboBox>
#include <QDebug>
#include <QPushButton>

#include "app/DialogTemplate.h"
#include "app/QtFeedback.h"
#include "app/TellwaveDlg.h"
#include "link/DeviceLock.h"
#include "link/History.h"
#include "link/SerialPort.h"
#include "ops/Operations.h"

namespace quorvin {

void CTellwaveDlg::ConnectButtons() {
  const auto on = [this](int id, void (CTellwaveDlg::*handler)()) {
    connect(qobject_cast<QPushButton*>(Control(id)), &QPushButton::clicked, this, handler);
  };
  on(ctl::Upgrade, &CTellwaveDlg::OnUpgrade);
  on(ctl::ReadVersion, &CTellwaveDlg::OnReadVersion);
  on(ctl::BackupDownload, &CTellwaveDlg::OnBackupDownload);
  on(ctl::BackupReadBack, &CTellwaveDlg::OnBackupReadBack);
  on(ctl::SetFrequency, &CTellwaveDlg::OnSetFrequency);
  on(ctl::ReadFrequency, &CTellwaveDlg::OnReadFrequency);
  on(ctl::InitCallButtons, &CTellwaveDlg::OnInitCallButtons);
}

SerialChoice CTellwaveDlg::CurrentSerialChoice() const {
  const int item = m_comboPort->currentIndex();
  return {item >= 0 ? m_comboPort->itemText(item) : QString(), m_comboSpeed->currentText()};
}

bool CTellwaveDlg::StartUsb(const QString& operation, const QString& file, std::function<OpResult(UsbEnv&)> op) {
  // Read here, on the GUI thread, where the device watcher keeps what it saw.
  const QString identity = LinkedIdentity();
  return StartOperation([this, operation, file, op = std::move(op), identity] {
    // A quorvinctl driving the same repeater would garble both transfers: the window waits its
    // turn as quorvinctl does, and says who has it.
    DeviceLock lock;
    qint64 holder = 0;
    QString detail;
    if (!identity.isEmpty() && m_link->Backend().SharedWithOtherProcesses() &&
        lock.TryAcquire(LockKey(m_link->Backend().Name(), identity), holder, detail) == LockResult::Busy) {
      m_feedback->MessageBox(m_lang
                                 .Text(QT_TRANSLATE_NOOP("quorvin",
                                                         "The repeater %1 is in use by another program (process "
                                                         "%2). Try again once it has finished."))
                                 .arg(identity, holder > 0 ? QString::number(holder) : QStringLiteral("?")),
                             MsgIcon::Warning);
      return;
    }
    HistoryFacts facts{QStringLiteral("quorvin-setup"), operation,      QStringLiteral("usb"), identity, file, {},
                       QDateTime::currentDateTimeUtc(), m_clock.NowMs()};
    UsbEnv env{*m_link, *m_feedback, m_clock, m_lang};
    const OpResult result = Recorded(QStringLiteral("usb"), [&] { return op(env); });
    if (facts.unit.isEmpty()) facts.unit = m_link->LinkedPath();
    LogResult(std::move(facts), result);
    if (!result.version.isEmpty())
      QMetaObject::invokeMethod(
          this,
          [this, path = m_link->LinkedPath(), version = result.version] {
            m_versionPath = path;
            m_version = version;
            UpdateDeviceStatus();
          },
          Qt::QueuedConnection);
  });
}

bool CTellwaveDlg::StartSerial(const QString& operation, const QString& file,
                               std::function<OpResult(SerialEnv&, const SerialChoice&)> op) {
  // The combo boxes are read here, on the GUI thread; the port itself only ever on the worker.
  return StartOperation([this, operation, file, op = std::move(op), choice = CurrentSerialChoice()] {
    HistoryFacts facts{
        QStringLiteral("quorvin-setup"), operation,      QStringLiteral("serial"), choice.portItem, file, {},
        QDateTime::currentDateTimeUtc(), m_clock.NowMs()};
    SerialEnv env{*m_serialPort, *m_feedback, m_clock, m_lang};
    LogResult(std::move(facts), Recorded(QStringLiteral("serial"), [&] { return op(env, choice); }));
  });
}

// On the worker. With QUORVIN_RECORD=FILE, each operation's traffic replaces FILE: the last one
// stays for support to look at (or for quorvin-sim --replay).
OpResult CTellwaveDlg::Recorded(const QString& link, const std::function<OpResult()>& run) {
  const QString path = qEnvironmentVariable("QUORVIN_RECORD");
  if (path.isEmpty()) return run();
  TraceRecorder recorder(path, link, QStringLiteral(QUORVIN_VERSION));
  QString why;
  const bool recording = recorder.Open(&why);
  if (recording) m_feedback->SetRecorder(&recorder);
  const OpResult result = run();
  m_feedback->SetRecorder(nullptr);
  if (!recording || !recorder.Finish(&why))
    qWarning().noquote() << "the recording could not be written:" << path << why;
  return result;
}

// On the worker: the run's line in the history (`facts.ms` holds its start until here). A history
// that cannot be written is said once in the debug output and never again.
void CTellwaveDlg::LogResult(HistoryFacts facts, const OpResult& result) {
  if (!result.detail.isEmpty()) qInfo().noquote() << "operation ended:" << result.detail;
  facts.ms = m_clock.NowMs() - facts.ms;
  const bool written = facts.operation == QLatin1String("backup read");
  if (!facts.file.isEmpty() && (!written || result.Ok())) facts.sha256 = FileSha256(facts.file);
  QString why;
  if (!AppendHistory(HistoryEntry(facts, result), &why) && !m_historyWarned.exchange(true))
    qWarning().noquote() << "the history could not be written:" << HistoryPath() << why;
}

void CTellwaveDlg::OnUpgrade() {
  SendFile(QStringLiteral("upgrade"), QStringLiteral("test"), FirmwareUpgradeUsb, FirmwareUpgradeSerial);
}

void CTellwaveDlg::OnBackupDownload() {
  SendFile(QStringLiteral("backup download"), QStringLiteral("back-up"), BackupDownloadUsb, BackupDownloadSerial);
}

void CTellwaveDlg::SendFile(const QString& operation, const QString& initialName, UsbFileOp usbOp,
                            SerialFileOp serialOp) {
  if (m_runner.IsBusy()) return;
  const QString path = m_chooser->OpenBin(this, initialName);
  if (path.isEmpty()) return;
  if (UsbSelected()) {
    StartUsb(operation, path, [usbOp, path](UsbEnv& env) { return usbOp(env, path); });
  } else {
    StartSerial(operation, path,
                [serialOp, path](SerialEnv& env, const SerialChoice& c) { return serialOp(env, c, path); });
  }
}

void CTellwaveDlg::OnBackupReadBack() {
  if (m_runner.IsBusy()) return;
  const QString path = m_chooser->SaveBin(this, QStringLiteral("upload"));
  if (path.isEmpty()) return;
  m_strReadBackPath = path;
  // The chosen file is left as it is: the read-back replaces it only once every packet arrived,
  // so a failed read-back never costs the technician an earlier backup.
  if (UsbSelected()) {
    StartUsb(QStringLiteral("backup read"), path, [path](UsbEnv& env) { return BackupReadBackUsb(env, path); });
  } else {
    StartSerial(QStringLiteral("backup read"), path,
                [path](SerialEnv& env, const SerialChoice& c) { return BackupReadBackSerial(env, c, path); });
  }
}

void CTellwaveDlg::OnReadVersion() {
  if (m_runner.IsBusy()) return;
  if (UsbSelected()) {
    StartUsb(QStringLiteral("version"), {}, [](UsbEnv& env) { return ReadVersionUsb(env); });
  } else {
    StartSerial(QStringLiteral("version"), {},
                [](SerialEnv& env, const SerialChoice& c) { return ReadVersionSerial(env, c); });
  }
}

void CTellwaveDlg::OnSetFrequency() {
  if (m_runner.IsBusy()) return;
  if (!SaveFrequency()) return;
  // Over USB only; unchecked, the checked value is kept and nothing is sent.
  if (!UsbSelected()) return;
  const qint32 hz = m_nFrequency;
  StartUsb(QStringLiteral("frequency set"), {}, [hz](UsbEnv& env) { return SetFrequencyUsb(env, hz); });
}

void CTellwaveDlg::OnReadFrequency() {
  if (m_runner.IsBusy() || !UsbSelected()) return;
  StartUsb(QStringLiteral("frequency get"), {}, [this](UsbEnv& env) {
    OpResult result = ReadFrequencyUsb(env);
    if (result.Ok()) {
      const qint32 hz = result.frequency;
      QMetaObject::invokeMethod(
          this,
          [this, hz] {
            m_nFrequency = hz;
            ShowFrequency();
          },
          Qt::BlockingQueuedConnection);
    }
    return result;
  });
}

void CTellwaveDlg::OnInitCallButtons() {
  if (m_runner.IsBusy() || !UsbSelected()) return;
  StartUsb(QStringLiteral("init-buttons"), {}, [](UsbEnv& env) { return InitCallButtonsUsb(env); });
}

}  // namespace quorvin
