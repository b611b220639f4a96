#pragma once
// The main window: the attached repeaters and the chosen one's card, the link, the operations
// panel (the frequency field and the seven buttons), and the views around them. Every operation
// runs on the operation runner through the run policy (front/RunPolicy.h), one at a time, so the
// window keeps painting while the device is busy; the unit is claimed at the click, from what is
// attached then. A change asks first; each run ends in one box that says how it went and, when it
// failed, why and what to do next.
//
// The window's parts live in files of their own: MainWindow.cpp builds it and keeps its state,
// MainWindowRuns.cpp turns the buttons into runs, MainWindowUnits.cpp follows the units and the
// link.

#include <QMainWindow>
#include <QMessageBox>
#include <QPointer>
#include <atomic>
#include <deque>
#include <functional>
#include <memory>
#include <optional>

#include "app/ConfirmChange.h"
#include "app/FileChooser.h"
#include "app/OperationRunner.h"
#include "app/RunOutcome.h"
#include "app/UnitWatcher.h"
#include "front/RunPolicy.h"
#include "host/Clock.h"
#include "link/SerialisedBackend.h"
#include "ops/Language.h"

class QLabel;

namespace quorvin {

class DeviceCard;
class DoctorView;
class HistoryView;
class LinkPanel;
class LogPane;
class SnapshotsView;
struct SnapshotInfo;
class OperationsPanel;
class ProgressPanel;
class QtFeedback;
class SerialPort;
class UnitList;

struct WindowOptions {
  bool demo = false;
  // The window's language; unset: the one chosen in its menu last, else the system locale's.
  std::optional<Language> language;
  // The device watcher; tests that hand the window what it sees (ApplySight) leave it off.
  bool startTimers = true;
  int watchIntervalMs = 500;
};

class MainWindow : public QMainWindow {
  Q_OBJECT
 public:
  MainWindow(HidBackend& backend, Clock& clock, const WindowOptions& options = {}, QWidget* parent = nullptr);
  ~MainWindow() override;
  MainWindow(const MainWindow&) = delete;
  MainWindow& operator=(const MainWindow&) = delete;

  // By control number (app/Controls.h).
  [[nodiscard]] QWidget* Control(int id) const;
  [[nodiscard]] const Language& Lang() const { return m_lang; }
  // The language a window starts in without --lang: the one chosen in its menu last, else the
  // system locale's.
  [[nodiscard]] static Language StartLanguage();
  [[nodiscard]] bool English() const { return m_lang.IsEnglish(); }
  void SetLanguage(const Language& lang);
  [[nodiscard]] bool UsbSelected() const;

  [[nodiscard]] OperationRunner& Runner() { return m_runner; }
  [[nodiscard]] Feedback& GetFeedback();
  [[nodiscard]] UnitList* Units() const { return m_units; }
  [[nodiscard]] DeviceCard* Card() const { return m_card; }
  [[nodiscard]] LinkPanel* LinkChoice() const { return m_link; }
  [[nodiscard]] OperationsPanel* Operations() const { return m_ops; }
  [[nodiscard]] ProgressPanel* Progress() const { return m_progress; }
  [[nodiscard]] QLabel* StatusText() const { return m_status; }
  [[nodiscard]] LogPane* Log() const { return m_log; }
  [[nodiscard]] SnapshotsView* Snapshots() const { return m_snapshots; }
  [[nodiscard]] HistoryView* History() const { return m_history; }
  [[nodiscard]] DoctorView* Doctor() const { return m_doctor; }
  // Puts a snapshot back onto the chosen unit, after asking (naming both units when it is another
  // unit's); what the Snapshots view's Restore does.
  void RequestRestore(const SnapshotInfo& snapshot);
  // A snapshot of the chosen unit on its own, as quorvinctl snapshot takes it.
  void RequestSnapshot();
  // A file dropped on the window: asks whether it is firmware to upgrade with or backup data to
  // download, showing its size and SHA-256 first; the answer is the consent to the change.
  void OfferFile(const QString& path);
  // Writes a support bundle to `path` and says how it went.
  void SaveSupportBundle(const QString& path);
  [[nodiscard]] const QString& ReadBackPath() const { return m_readBackPath; }
  void SetFileChooser(std::unique_ptr<FileChooser> chooser) { m_chooser = std::move(chooser); }
  void SetAsker(std::unique_ptr<ChangeAsker> asker) { m_asker = std::move(asker); }

  // What the device watcher saw (tests hand it in themselves).
  void ApplySight(const Sight& sight);
  // Looks for units at once, on this thread.
  void LookNow();
  // Runs `op` on the worker. False, and nothing run, while another operation runs.
  bool StartOperation(std::function<void()> op);

  // The progress panel, on the GUI thread (QtFeedback's side).
  void ShowProgress();
  void SetProgressText(const QString& text);
  void SetProgressRange(int max);
  void SetProgressPos(int pos);
  [[nodiscard]] int ProgressPos() const;
  void CloseProgress();
  bool PumpMessages();
  [[nodiscard]] std::atomic<bool>& CancelFlag() { return m_cancel; }
  // A box over the window, in its language, with the product's name as its title.
  void ShowBox(MsgIcon icon, const QString& text, const QString& details);
  // The box a run ended with, while it is up (tests answer it).
  [[nodiscard]] QMessageBox* OpenBox() const { return m_openBox; }
  // No run, no unit's first look and no run's box: the window waits for the technician.
  [[nodiscard]] bool Idle() const { return !m_runner.IsBusy() && !m_openBox && !m_busy; }

 signals:
  // A run has ended and its box (if any) has been answered.
  void runEnded();

 protected:
  void closeEvent(QCloseEvent* event) override;
  void dragEnterEvent(QDragEnterEvent* event) override;
  void dropEvent(QDropEvent* event) override;

 private:
  // MainWindow.cpp
  void BuildWindow();
  void BuildViews();
  void BuildMenus();
  void Retranslate();
  void RestoreSettings();
  void SetBusy(bool busy);
  void Cancel();
  // An operation the technician started runs (a unit's first look does not count).
  [[nodiscard]] bool Working() const;
  void ShowAbout();
  void ShowHelp();

  // MainWindowRuns.cpp
  void OnButton(int id);
  void RequestVersion();
  void RequestFrequencyGet();
  void RequestFrequencySet();
  void RequestInitButtons();
  void RequestUpgrade(const QString& dropped = {});
  void RequestDownload(const QString& dropped = {});
  void RequestReadBack();
  [[nodiscard]] QString ChooseFile(OpKind op);
  // The target of a run at the click, or nothing after saying why there is none.
  [[nodiscard]] std::optional<Target> CurrentTarget();
  // Asks before a change; false when the technician cancelled.
  [[nodiscard]] bool Consented(const ChangeQuestion& question);
  [[nodiscard]] QString ChosenName() const;
  void Run(const RunFacts& facts, RunPlan plan, std::function<OpResult(Channel&)> op);
  void Finish(const RunFacts& facts, const RunReport& report, const std::vector<HeldBox>& boxes);

  // MainWindowUnits.cpp
  void OnChosenChanged();
  void OnLinkChanged();
  void ShowChosen();
  void UpdateStatus();
  void QueueProbe(const AttachedRepeater& unit);
  void ProbeNext();
  void FinishProbe(const QString& key, const RunReport& report, const OpResult& version, const OpResult& frequency);
  void TellDiscovery(DiscoveryFault fault);

  SerialisedBackend m_backend;
  Clock& m_clock;
  bool m_demo;
  Language m_lang;
  QString m_readBackPath;

  UnitList* m_units = nullptr;
  DeviceCard* m_card = nullptr;
  LinkPanel* m_link = nullptr;
  OperationsPanel* m_ops = nullptr;
  ProgressPanel* m_progress = nullptr;
  QLabel* m_status = nullptr;
  LogPane* m_log = nullptr;
  SnapshotsView* m_snapshots = nullptr;
  HistoryView* m_history = nullptr;
  DoctorView* m_doctor = nullptr;
  QPointer<QMessageBox> m_openBox;

  std::unique_ptr<FileChooser> m_chooser;
  std::unique_ptr<ChangeAsker> m_asker;
  std::unique_ptr<QtFeedback> m_feedback;
  // Opened and closed by each serial operation, on the worker thread only.
  std::unique_ptr<SerialPort> m_serialPort;
  std::unique_ptr<UnitWatcher> m_watcher;
  DiscoveryFault m_toldFault = DiscoveryFault::None;
  std::atomic<bool> m_cancel{false};
  bool m_closing = false;  // a close waits for the stopped operation to end
  bool m_busy = false;
  bool m_probing = false;
  std::optional<int> m_pendingClick;  // a click during a probe runs once the probe has ended
  std::deque<AttachedRepeater> m_probes;
  std::atomic<bool> m_historyWarned{false};
  // Last member: destroyed first, after the running operation has ended.
  OperationRunner m_runner;
};

}  // namespace quorvin
