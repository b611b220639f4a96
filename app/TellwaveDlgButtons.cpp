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

bool CTellwaveDlg::StartUsb(std::function<OpResult(UsbEnv&)> op) {
  // Read here, on the GUI thread, where the device watcher keeps what it saw.
  const QString identity = LinkedIdentity();
  return StartOperation([this, op = std::move(op), identity] {
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
    UsbEnv env{*m_link, *m_feedback, m_clock, m_lang};
    const OpResult result = op(env);
    LogResult(result);
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

bool CTellwaveDlg::StartSerial(std::function<OpResult(SerialEnv&, const SerialChoice&)> op) {
  // The combo boxes are read here, on the GUI thread; the port itself only ever on the worker.
  return StartOperation([this, op = std::move(op), choice = CurrentSerialChoice()] {
    SerialEnv env{*m_serialPort, *m_feedback, m_clock, m_lang};
    LogResult(op(env, choice));
  });
}

void CTellwaveDlg::LogResult(const OpResult& result) {
  if (!result.detail.isEmpty()) qInfo().noquote() << "operation ended:" << result.detail;
}

void CTellwaveDlg::OnUpgrade() { SendFile(QStringLiteral("test"), FirmwareUpgradeUsb, FirmwareUpgradeSerial); }

void CTellwaveDlg::OnBackupDownload() { SendFile(QStringLiteral("back-up"), BackupDownloadUsb, BackupDownloadSerial); }

void CTellwaveDlg::SendFile(const QString& initialName, UsbFileOp usbOp, SerialFileOp serialOp) {
  if (m_runner.IsBusy()) return;
  const QString path = m_chooser->OpenBin(this, initialName);
  if (path.isEmpty()) return;
  if (UsbSelected()) {
    StartUsb([usbOp, path](UsbEnv& env) { return usbOp(env, path); });
  } else {
    StartSerial([serialOp, path](SerialEnv& env, const SerialChoice& c) { return serialOp(env, c, path); });
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
    StartUsb([path](UsbEnv& env) { return BackupReadBackUsb(env, path); });
  } else {
    StartSerial([path](SerialEnv& env, const SerialChoice& c) { return BackupReadBackSerial(env, c, path); });
  }
}

void CTellwaveDlg::OnReadVersion() {
  if (m_runner.IsBusy()) return;
  if (UsbSelected()) {
    StartUsb([](UsbEnv& env) { return ReadVersionUsb(env); });
  } else {
    StartSerial([](SerialEnv& env, const SerialChoice& c) { return ReadVersionSerial(env, c); });
  }
}

void CTellwaveDlg::OnSetFrequency() {
  if (m_runner.IsBusy()) return;
  if (!SaveFrequency()) return;
  // Over USB only; unchecked, the checked value is kept and nothing is sent.
  if (!UsbSelected()) return;
  const qint32 hz = m_nFrequency;
  StartUsb([hz](UsbEnv& env) { return SetFrequencyUsb(env, hz); });
}

void CTellwaveDlg::OnReadFrequency() {
  if (m_runner.IsBusy() || !UsbSelected()) return;
  StartUsb([this](UsbEnv& env) {
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
  StartUsb([](UsbEnv& env) { return InitCallButtonsUsb(env); });
}

}  // namespace quorvin
