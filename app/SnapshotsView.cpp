#include "app/SnapshotsView.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLocale>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>
#include <algorithm>

#include "front/PrintableText.h"

namespace quorvin {

namespace {

QTableWidgetItem* Cell(const QString& text, const QString& tip = {}, Qt::Alignment align = Qt::AlignLeft) {
  auto* item = new QTableWidgetItem(text);
  item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable);
  item->setToolTip(tip.isEmpty() ? text : tip);
  item->setTextAlignment(align | Qt::AlignVCenter);
  return item;
}

}  // namespace

SnapshotsView::SnapshotsView(const Language& lang, QWidget* parent) : QWidget(parent), m_lang(lang) {
  setObjectName(QStringLiteral("SnapshotsView"));
  m_status = new QLabel(this);
  m_status->setObjectName(QStringLiteral("snapshotsStatus"));
  m_status->setWordWrap(true);
  m_status->setTextFormat(Qt::PlainText);
  // The folder is there to be copied into a file manager or a terminal.
  m_status->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);

  m_table = new QTableWidget(0, kColumns, this);
  m_table->setObjectName(QStringLiteral("snapshotsTable"));
  m_table->setSelectionBehavior(QAbstractItemView::SelectRows);
  m_table->setSelectionMode(QAbstractItemView::SingleSelection);
  m_table->setEditTriggers(QAbstractItemView::NoEditTriggers);
  m_table->setAlternatingRowColors(true);
  m_table->setWordWrap(false);
  m_table->setTabKeyNavigation(false);  // Tab goes on to the buttons
  m_table->verticalHeader()->hide();
  // Rows as tall as their text needs, so a small screen shows as many as it can.
  m_table->verticalHeader()->setDefaultSectionSize(m_table->fontMetrics().height() + 6);
  m_table->horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
  m_table->horizontalHeader()->setStretchLastSection(true);
  m_table->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
  m_table->setMinimumHeight(m_table->verticalHeader()->defaultSectionSize() * 3);
  connect(m_table, &QTableWidget::itemSelectionChanged, this, &SnapshotsView::UpdateButtons);

  m_refresh = new QPushButton(this);
  m_refresh->setObjectName(QStringLiteral("snapshotsRefresh"));
  connect(m_refresh, &QPushButton::clicked, this, &SnapshotsView::Refresh);
  m_restore = new QPushButton(this);
  m_restore->setObjectName(QStringLiteral("snapshotsRestore"));
  connect(m_restore, &QPushButton::clicked, this, &SnapshotsView::RestoreClicked);

  m_take = new QPushButton(this);
  m_take->setObjectName(QStringLiteral("snapshotsTake"));
  connect(m_take, &QPushButton::clicked, this, &SnapshotsView::takeRequested);

  auto* buttons = new QHBoxLayout;
  buttons->addWidget(m_refresh);
  buttons->addStretch(1);
  buttons->addWidget(m_take);
  buttons->addWidget(m_restore);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(m_status);
  layout->addWidget(m_table, 1);
  layout->addLayout(buttons);
  setTabOrder(m_status, m_table);
  setTabOrder(m_table, m_refresh);
  setTabOrder(m_refresh, m_take);
  setTabOrder(m_take, m_restore);

  SetLanguage(lang);
}

void SnapshotsView::SetLanguage(const Language& lang) {
  m_lang = lang;
  m_table->setHorizontalHeaderLabels({
      lang.Text(QT_TRANSLATE_NOOP("quorvin", "Unit")),
      lang.Text(QT_TRANSLATE_NOOP("quorvin", "Time")),
      lang.Text(QT_TRANSLATE_NOOP("quorvin", "Version")),
      lang.Text(QT_TRANSLATE_NOOP("quorvin", "Frequency (Hz)")),
      lang.Text(QT_TRANSLATE_NOOP("quorvin", "Backup (bytes)")),
      lang.Text(QT_TRANSLATE_NOOP("quorvin", "Backup state")),
  });
  m_table->setAccessibleName(lang.Text(QT_TRANSLATE_NOOP("quorvin", "Snapshots")));
  m_table->setToolTip(lang.Text(
      QT_TRANSLATE_NOOP("quorvin", "The snapshots kept on this computer, newest first. Choose one to restore it.")));
  m_status->setAccessibleName(lang.Text(QT_TRANSLATE_NOOP("quorvin", "Where the snapshots are kept")));
  m_status->setToolTip(SnapshotRoot());
  m_refresh->setText(lang.Text(QT_TRANSLATE_NOOP("quorvin", "&Refresh")));
  m_refresh->setAccessibleName(lang.Text(QT_TRANSLATE_NOOP("quorvin", "Refresh")));
  m_refresh->setToolTip(lang.Text(QT_TRANSLATE_NOOP("quorvin", "List the snapshots again and check their backups")));
  m_take->setText(lang.Text(QT_TRANSLATE_NOOP("quorvin", "&Take snapshot")));
  m_take->setAccessibleName(lang.Text(QT_TRANSLATE_NOOP("quorvin", "Take snapshot")));
  m_take->setToolTip(lang.Text(QT_TRANSLATE_NOOP(
      "quorvin", "Keep the chosen repeater's version, frequency and backup data on this computer now")));
  m_restore->setText(lang.Text(QT_TRANSLATE_NOOP("quorvin", "Re&store...")));
  m_restore->setAccessibleName(lang.Text(QT_TRANSLATE_NOOP("quorvin", "Restore")));
  m_restore->setToolTip(lang.Text(QT_TRANSLATE_NOOP(
      "quorvin", "Put the chosen snapshot back on the repeater: its backup data, then its frequency")));
  for (int row = 0; row < RowCount(); ++row) FillRow(row);
  UpdateStatus();
}

void SnapshotsView::showEvent(QShowEvent* event) {
  QWidget::showEvent(event);
  if (!m_listed && !m_scan.Busy()) Refresh();
}

void SnapshotsView::Refresh() {
  m_listed = true;
  m_listing = true;
  m_changedFolder.clear();
  UpdateStatus();
  m_scan.Start([this](const BackgroundWork::Job& job) {
    std::vector<SnapshotInfo> list = ListSnapshots();
    std::stable_sort(list.begin(), list.end(), [](const SnapshotInfo& a, const SnapshotInfo& b) {
      return a.time != b.time ? a.time > b.time : a.folder > b.folder;
    });
    QStringList folders;
    for (const SnapshotInfo& s : list) folders << s.folder;
    job.Deliver([this, list = std::move(list)]() mutable { ShowList(std::move(list)); });
    for (const QString& folder : folders) {
      if (job.Stopped()) return;
      SnapshotInfo loaded;
      const bool intact = LoadSnapshot(folder, loaded, nullptr);
      job.Deliver([this, folder, intact] { ShowState(folder, intact ? State::Intact : State::Changed); });
    }
    job.Deliver([this] {
      UpdateStatus();
      UpdateButtons();
    });
  });
  UpdateButtons();
}

void SnapshotsView::ShowList(std::vector<SnapshotInfo> list) {
  // The choice stays on the same snapshot across a refresh.
  const int selected = m_table->currentRow();
  const QString chosen = selected >= 0 && selected < RowCount() ? m_rows[selected].info.folder : QString();
  m_listing = false;
  m_rows.clear();
  for (SnapshotInfo& s : list) m_rows.push_back({std::move(s), State::Checking});
  m_table->setRowCount(RowCount());
  for (int row = 0; row < RowCount(); ++row) FillRow(row);
  const int again = RowOf(chosen);
  if (again >= 0) m_table->selectRow(again);
  UpdateStatus();
  UpdateButtons();
}

void SnapshotsView::ShowState(const QString& folder, State state) {
  const int row = RowOf(folder);
  if (row < 0) return;
  m_rows[row].state = state;
  FillRow(row);
  UpdateButtons();
}

void SnapshotsView::FillRow(int row) {
  const Row& r = m_rows[row];
  const SnapshotInfo& s = r.info;
  const QLocale numbers(QLocale::English);
  m_table->setItem(row, kUnit, Cell(PrintableText(SnapshotUnitText(s))));
  m_table->setItem(row, kTime,
                   Cell(s.time.isValid() ? s.time.toLocalTime().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"))
                                         : m_lang.Text(QT_TRANSLATE_NOOP("quorvin", "unknown"))));
  m_table->setItem(row, kVersion, Cell(PrintableText(s.version)));
  if (s.frequencyValid) {
    m_table->setItem(row, kFrequency, Cell(QString::number(s.frequency), {}, Qt::AlignRight));
  } else {
    m_table->setItem(row, kFrequency,
                     Cell(m_lang.Text(QT_TRANSLATE_NOOP("quorvin", "none")),
                          m_lang.Text(QT_TRANSLATE_NOOP("quorvin",
                                                        "The snapshot holds no frequency the unit takes: a "
                                                        "restore puts back its backup data only."))));
  }
  m_table->setItem(row, kBackup, Cell(numbers.toString(s.backupBytes), {}, Qt::AlignRight));
  QString state;
  QString tip;
  switch (r.state) {
    case State::Checking:
      state = m_lang.Text(QT_TRANSLATE_NOOP("quorvin", "checking..."));
      tip = m_lang.Text(QT_TRANSLATE_NOOP("quorvin", "The backup is being compared with its recorded SHA-256."));
      break;
    case State::Intact:
      state = m_lang.Text(QT_TRANSLATE_NOOP("quorvin", "intact"));
      tip = m_lang.Text(QT_TRANSLATE_NOOP("quorvin", "The backup still matches its recorded size and SHA-256."));
      break;
    case State::Changed:
      state = m_lang.Text(QT_TRANSLATE_NOOP("quorvin", "changed \u2014 cannot be restored"));
      tip = m_lang.Text(QT_TRANSLATE_NOOP(
          "quorvin", "The backup is missing or no longer matches the size and SHA-256 recorded when it was taken."));
      break;
  }
  m_table->setItem(row, kState, Cell(state, tip));
  // The folder names the snapshot as quorvinctl restore takes it.
  m_table->item(row, kUnit)
      ->setToolTip(PrintableText(SnapshotUnitText(s)) + QLatin1Char('\n') + PrintableText(s.folder));
}

int SnapshotsView::RowOf(const QString& folder) const {
  if (folder.isEmpty()) return -1;
  for (int row = 0; row < RowCount(); ++row)
    if (m_rows[row].info.folder == folder) return row;
  return -1;
}

void SnapshotsView::UpdateButtons() {
  const int row = m_table->currentRow();
  const bool chosen = row >= 0 && row < RowCount() && !m_table->selectedItems().isEmpty();
  m_restore->setEnabled(chosen && !m_verifying && m_rows[row].state == State::Intact);
}

void SnapshotsView::UpdateStatus() {
  const QString root = SnapshotRoot();
  QString text;
  if (!m_listed) {
    text = m_lang.Text(QT_TRANSLATE_NOOP("quorvin", "Snapshots are kept in %1")).arg(root);
  } else if (m_rows.empty() && m_listing) {
    text = m_lang.Text(QT_TRANSLATE_NOOP("quorvin", "Looking for snapshots in %1 ...")).arg(root);
  } else if (m_rows.empty()) {
    text = m_lang
               .Text(QT_TRANSLATE_NOOP("quorvin",
                                       "No snapshots yet. Take one with Take snapshot, or tick Snapshot before "
                                       "every change; they are kept in %1"))
               .arg(root);
  } else {
    text = m_lang.Text(QT_TRANSLATE_NOOP("quorvin", "Snapshots: %1, kept in %2")).arg(RowCount()).arg(root);
  }
  const int changed = RowOf(m_changedFolder);
  if (changed >= 0)
    text += QLatin1Char('\n') +
            m_lang
                .Text(QT_TRANSLATE_NOOP("quorvin",
                                        "The snapshot of %1 taken %2 has changed since it was "
                                        "listed and cannot be restored."))
                .arg(PrintableText(SnapshotUnitText(m_rows[changed].info)),
                     m_rows[changed].info.time.toLocalTime().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")));
  m_status->setText(text);
}

void SnapshotsView::RestoreClicked() {
  const int row = m_table->currentRow();
  if (row < 0 || row >= RowCount() || m_rows[row].state != State::Intact || m_verifying) return;
  // The list may be hours old: the backup is checked once more, just before it is handed on.
  const QString folder = m_rows[row].info.folder;
  m_verifying = true;
  m_changedFolder.clear();
  UpdateStatus();
  UpdateButtons();
  m_verify.Start([this, folder](const BackgroundWork::Job& job) {
    SnapshotInfo loaded;
    const bool intact = LoadSnapshot(folder, loaded, nullptr);
    job.Deliver([this, folder, intact, loaded] {
      m_verifying = false;
      ShowState(folder, intact ? State::Intact : State::Changed);
      if (intact) {
        emit restoreRequested(loaded);
      } else {
        m_changedFolder = folder;
        UpdateStatus();
      }
      UpdateButtons();
    });
  });
}

}  // namespace quorvin
