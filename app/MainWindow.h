#pragma once
// The main window: one window of buttons over the repeater. It owns everything the operations
// share (the USB link, the progress window, the language, the working frequency) and starts each
// operation on the operation runner, one at a time, so the window keeps painting while the device
// is busy.

#include <QDialog>
#include <QMessageBox>
#include <QPointer>
#include <QTimer>
#include <atomic>
#include <functional>
#include <memory>
#include <optional>

#include "app/DeviceWatcher.h"
#include "app/FileChooser.h"
#include "app/OperationRunner.h"
#include "app/ProgressWindow.h"
#include "front/RunPolicy.h"
#include "front/RunWords.h"
#include "host/Clock.h"
#include "link/HidBackend.h"
#include "link/HidLink.h"
#include "ops/Operations.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;

namespace quorvin {

class QtFeedback;

struct WindowOptions {
  bool demo = false;
  // The window's language; unset: the system locale's (Language::ForSystemLocale).
  std::optional<Language> language;
  // Tests that drive the link themselves leave the poll and watcher timers off.
  bool startTimers = true;
};

class MainWindow : public QDialog {
  Q_OBJECT
 public:
  MainWindow(HidBackend& backend, Clock& clock, const WindowOptions& options = {}, QWidget* parent = nullptr);
  ~MainWindow() override;
  MainWindow(const MainWindow&) = delete;
  MainWindow& operator=(const MainWindow&) = delete;

  static constexpr int kPollIntervalMs = 1000;

  [[nodiscard]] QWidget* Control(int id) const;
  [[nodiscard]] bool English() const { return m_lang.IsEnglish(); }
  [[nodiscard]] qint32 Frequency() const { return m_frequency; }
  [[nodiscard]] bool UsbSelected() const;

  // Lists the serial ports the system reports, in its order, and selects the first.
  void FillPortList();
  void FillPortList(const QStringList& portNames);

  // Frequency field: reads and checks it into m_frequency; false (after the prompt, with the
  // field focused and its text selected) when it is not a whole number in range.
  [[nodiscard]] bool SaveFrequency();
  void ShowFrequency();

  // The progress window, on the GUI thread.
  void ShowProgress();
  void SetProgressText(const QString& text);
  void SetProgressRange(int max);
  void SetProgressPos(int pos);
  [[nodiscard]] int ProgressPos() const;
  void CloseProgress();
  bool PumpMessages();
  [[nodiscard]] ProgressWindow* ProgressDlg() const { return m_progressDlg.get(); }

  [[nodiscard]] OperationRunner& Runner() { return m_runner; }
  [[nodiscard]] HidLink& Link() { return *m_link; }
  [[nodiscard]] DeviceWatcher& Watcher() { return *m_watcher; }
  [[nodiscard]] Feedback& GetFeedback();
  [[nodiscard]] QTimer& PollTimer() { return m_pollTimer; }
  [[nodiscard]] QTimer& WatchTimer() { return m_watchTimer; }
  void SetFileChooser(std::unique_ptr<FileChooser> chooser) { m_chooser = std::move(chooser); }
  [[nodiscard]] const QString& ReadBackPath() const { return m_readBackPath; }
  // The notice that a close waits for the running operation; null when none is up.
  [[nodiscard]] QMessageBox* ClosePendingNotice() const { return m_closeNotice; }

  // Runs `op` on the worker. False, and nothing run, while another operation runs.
  bool StartOperation(std::function<void()> op);

 protected:
  void keyPressEvent(QKeyEvent* event) override;
  void reject() override;
  // There is no OK button: nothing but Escape or the close box ends the window.
  void accept() override {}

 private:
  void BuildControls();
  void ApplyLanguage();
  void FitLabels();
  void ConnectSignals();
  void PromptInvalidFrequency(const QString& text);
  void OnPollTimer();
  void OnWatchTimer();
  void OnUsbCheckBoxClicked(bool checked);
  void OnOperationFinished();
  void ReportUnexpected(const QString& what);
  void ShowClosePendingNotice();
  // The strip under the buttons: which repeater the window uses, its version once read, or that
  // none is attached; a warning when several are.
  void UpdateDeviceStatus();
  // The identity of the repeater the link drives, as the device watcher last saw it; empty when
  // the link is down or the watcher has not seen it yet. GUI thread.
  [[nodiscard]] QString LinkedIdentity() const;

  // Buttons.
  using FileOp = OpResult (*)(Channel&, const QString&);
  void ConnectButtons();
  void OnUpgrade();
  void OnReadVersion();
  void OnBackupDownload();
  void OnBackupReadBack();
  void OnSetFrequency();
  void OnReadFrequency();
  void OnInitCallButtons();
  void SendFile(const QString& operation, const QString& initialName, FileOp op);
  [[nodiscard]] SerialChoice CurrentSerialChoice() const;
  [[nodiscard]] Target CurrentTarget() const;
  [[nodiscard]] bool SnapshotBeforeChanges() const;
  // Runs `op` on the worker through the run policy; `plan` names the run in the history.
  bool StartRun(RunPlan plan, std::function<OpResult(Channel&)> op);
  void TellRefusal(const RunReport& report);

  Clock& m_clock;
  bool m_demo;
  Language m_lang;
  qint32 m_frequency = 315'600'000;
  QString m_readBackPath;
  bool m_closePending = false;
  QPointer<QMessageBox> m_closeNotice;  // shown while a close waits for the operation

  QComboBox* m_comboPort = nullptr;
  QComboBox* m_comboSpeed = nullptr;
  QCheckBox* m_checkUsb = nullptr;
  QLineEdit* m_editFrequency = nullptr;
  QLabel* m_deviceStatus = nullptr;
  QString m_versionPath;  // the repeater whose version the strip shows, by path
  QString m_version;

  std::unique_ptr<ProgressWindow> m_progressDlg;
  std::unique_ptr<FileChooser> m_chooser;
  std::unique_ptr<QtFeedback> m_feedback;
  std::unique_ptr<HidLink> m_link;
  std::unique_ptr<DeviceWatcher> m_watcher;
  // Opened and closed by each serial operation, on the worker thread only.
  std::unique_ptr<SerialPort> m_serialPort;
  QTimer m_pollTimer;
  QTimer m_watchTimer;
  // Last member: destroyed first, after the running operation has ended.
  OperationRunner m_runner;
  std::atomic<bool> m_historyWarned{false};
};

}  // namespace quorvin
