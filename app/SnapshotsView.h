#pragma once
// The snapshots kept on this computer, newest first: which unit each was taken from, when, its
// version, frequency and backup size, and whether its backup is still the one recorded. Only an
// intact snapshot can be restored; "Restore..." checks it once more and hands it to the main
// window, which asks before anything is sent. The backups (up to a few megabytes each) are hashed
// off the GUI thread, so the window stays responsive while a long list is checked.

#include <QWidget>
#include <vector>

#include "app/BackgroundWork.h"
#include "front/Snapshot.h"
#include "ops/Language.h"

class QLabel;
class QPushButton;
class QTableWidget;

namespace quorvin {

class SnapshotsView : public QWidget {
  Q_OBJECT
 public:
  enum Column { kUnit, kTime, kVersion, kFrequency, kBackup, kState, kColumns };
  enum class State { Checking, Intact, Changed };

  // Lists the snapshots the first time it is shown, or at Refresh().
  explicit SnapshotsView(const Language& lang, QWidget* parent = nullptr);

  void SetLanguage(const Language& lang);
  // A listing or a check is still under way.
  [[nodiscard]] bool Busy() const { return m_scan.Busy() || m_verify.Busy(); }
  [[nodiscard]] int RowCount() const { return static_cast<int>(m_rows.size()); }
  [[nodiscard]] State RowState(int row) const { return m_rows.at(row).state; }
  [[nodiscard]] const SnapshotInfo& RowSnapshot(int row) const { return m_rows.at(row).info; }

 public slots:
  void Refresh();

 signals:
  // The user chose to restore this snapshot, whose backup was found intact just now.
  void restoreRequested(const quorvin::SnapshotInfo& snapshot);
  // The user asked for a snapshot of the chosen unit now.
  void takeRequested();

 protected:
  void showEvent(QShowEvent* event) override;

 private:
  struct Row {
    SnapshotInfo info;
    State state = State::Checking;
  };

  void ShowList(std::vector<SnapshotInfo> list);
  void ShowState(const QString& folder, State state);
  void RestoreClicked();
  void FillRow(int row);
  void UpdateButtons();
  void UpdateStatus();
  [[nodiscard]] int RowOf(const QString& folder) const;

  Language m_lang;
  QLabel* m_status = nullptr;
  QTableWidget* m_table = nullptr;
  QPushButton* m_refresh = nullptr;
  QPushButton* m_restore = nullptr;
  QPushButton* m_take = nullptr;
  std::vector<Row> m_rows;
  QString m_changedFolder;  // the snapshot a restore check last found changed
  bool m_listed = false;
  bool m_listing = false;  // a listing was asked for and is not in yet
  bool m_verifying = false;
  // Last, so the threads have stopped before anything they report to goes.
  BackgroundWork m_scan;
  BackgroundWork m_verify;
};

}  // namespace quorvin
