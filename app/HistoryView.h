#pragma once
// The history the window and quorvinctl write (host/History.h), newest first, as a table that can
// be narrowed to one unit and to a span of days. It is read off the GUI thread, so a history of
// years keeps the window responsive; a history that is there but cannot be read says so, with
// the reason, instead of passing for an empty one.

#include <QAbstractTableModel>
#include <QDate>
#include <QWidget>
#include <array>
#include <memory>
#include <vector>

#include "app/BackgroundWork.h"
#include "host/History.h"
#include "ops/Language.h"

class QCheckBox;
class QComboBox;
class QDateEdit;
class QLabel;
class QPushButton;
class QTableView;

namespace quorvin {

class HistoryModel;

class HistoryView : public QWidget {
  Q_OBJECT
 public:
  enum Column { kTime, kProgram, kOperation, kLink, kUnit, kOutcome, kFault, kVersion, kFile, kMs, kColumns };

  // One entry as the table shows it: every cell already made printable.
  struct Entry {
    QDateTime time;  // invalid when the entry's time cannot be read
    QString unit;    // as recorded, for the unit filter
    // The time's cell is made, in local time, only when it is shown; it holds the recorded text
    // when that is not a time.
    std::array<QString, kColumns> cells;
  };
  // What a read of the history found.
  struct Loaded {
    std::vector<Entry> entries;  // newest first
    QStringList units;           // every unit named, sorted
    int skipped = 0;             // lines that were not entries
    FileProblem problem;
    bool exists = false;
  };
  // Reads and prepares the history at `path`; the work a refresh does off the GUI thread.
  [[nodiscard]] static Loaded Read(const QString& path, const BackgroundWork::Job* job = nullptr);

  // Reads HistoryPath() the first time it is shown, or at Refresh().
  explicit HistoryView(const Language& lang, QWidget* parent = nullptr);
  ~HistoryView() override;

  void SetLanguage(const Language& lang);
  [[nodiscard]] bool Busy() const { return m_read.Busy(); }
  // Entries shown after the filters, and in all.
  [[nodiscard]] int ShownCount() const;
  [[nodiscard]] int TotalCount() const { return static_cast<int>(m_loaded.entries.size()); }
  [[nodiscard]] QTableView* Table() const { return m_table; }

 public slots:
  void Refresh();

 protected:
  void showEvent(QShowEvent* event) override;

 private:
  void Show(Loaded loaded);
  void FillUnits();
  void ApplyFilter();
  void UpdateStatus();

  Language m_lang;
  QString m_path;
  Loaded m_loaded;
  bool m_readOnce = false;
  bool m_haveRead = false;
  bool m_reading = false;  // a read was asked for and its result is not in yet
  bool m_columnsSized = false;
  std::unique_ptr<HistoryModel> m_model;
  QLabel* m_status = nullptr;
  QLabel* m_unitLabel = nullptr;
  QComboBox* m_unit = nullptr;
  QCheckBox* m_fromOn = nullptr;
  QDateEdit* m_from = nullptr;
  QCheckBox* m_toOn = nullptr;
  QDateEdit* m_to = nullptr;
  QPushButton* m_refresh = nullptr;
  QTableView* m_table = nullptr;
  // Last, so the reading thread has stopped before anything it reports to goes.
  BackgroundWork m_read;
};

}  // namespace quorvin
