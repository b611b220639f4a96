#include "app/HistoryView.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QFileInfo>
#include <QGridLayout>
#include <QHash>
#include <QHeaderView>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLabel>
#include <QPushButton>
#include <QSet>
#include <QTableView>
#include <QVBoxLayout>
#include <algorithm>

#include "front/PrintableText.h"
#include "ops/FaultTexts.h"

namespace quorvin {

namespace {

constexpr char kTimeFormat[] = "yyyy-MM-dd HH:mm:ss";
// How often a long read looks whether it is still wanted.
constexpr int kStopCheckEvery = 4096;

// The keys the table shows, in column order (the time is kTime, made local).
constexpr const char* kKeys[HistoryView::kColumns] = {"time",    "program", "operation", "link", "unit",
                                                      "outcome", "fault",   "version",   "file", "ms"};

// A value as written: a text as it is, a number without a fraction where it has none, anything
// else (a forged object, say) as its JSON.
QString ValueText(const QJsonValue& v) {
  switch (v.type()) {
    case QJsonValue::String:
      return v.toString();
    case QJsonValue::Double: {
      const double d = v.toDouble();
      return d == static_cast<double>(v.toInteger()) ? QString::number(v.toInteger()) : QString::number(d, 'g', 15);
    }
    case QJsonValue::Bool:
      return v.toBool() ? QStringLiteral("true") : QStringLiteral("false");
    case QJsonValue::Array:
      return QString::fromUtf8(QJsonDocument(v.toArray()).toJson(QJsonDocument::Compact));
    case QJsonValue::Object:
      return QString::fromUtf8(QJsonDocument(v.toObject()).toJson(QJsonDocument::Compact));
    case QJsonValue::Null:
    case QJsonValue::Undefined:
      break;
  }
  return {};
}

}  // namespace

// The entries that pass the filters, over the view's list; the list itself stays in the view.
class HistoryModel final : public QAbstractTableModel {
 public:
  explicit HistoryModel(const std::vector<HistoryView::Entry>& entries) : m_entries(entries) {}

  void SetLanguage(const Language& lang) {
    m_headers = {
        lang.Text(QT_TRANSLATE_NOOP("quorvin", "Time")),      lang.Text(QT_TRANSLATE_NOOP("quorvin", "Program")),
        lang.Text(QT_TRANSLATE_NOOP("quorvin", "Operation")), lang.Text(QT_TRANSLATE_NOOP("quorvin", "Link")),
        lang.Text(QT_TRANSLATE_NOOP("quorvin", "Unit")),      lang.Text(QT_TRANSLATE_NOOP("quorvin", "Outcome")),
        lang.Text(QT_TRANSLATE_NOOP("quorvin", "Fault")),     lang.Text(QT_TRANSLATE_NOOP("quorvin", "Version")),
        lang.Text(QT_TRANSLATE_NOOP("quorvin", "File")),      lang.Text(QT_TRANSLATE_NOOP("quorvin", "ms")),
    };
    emit headerDataChanged(Qt::Horizontal, 0, HistoryView::kColumns - 1);
  }

  // Shows the entries `keep` accepts; the list is re-read from the view.
  template <class Keep>
  void Filter(const Keep& keep) {
    beginResetModel();
    m_shown.clear();
    m_shown.reserve(m_entries.size());
    for (std::size_t i = 0; i < m_entries.size(); ++i)
      if (keep(m_entries[i])) m_shown.push_back(static_cast<int>(i));
    endResetModel();
  }
  void Clear() {
    beginResetModel();
    m_shown.clear();
    endResetModel();
  }
  [[nodiscard]] int Shown() const { return static_cast<int>(m_shown.size()); }

  int rowCount(const QModelIndex& parent) const override { return parent.isValid() ? 0 : Shown(); }
  int columnCount(const QModelIndex& parent) const override { return parent.isValid() ? 0 : HistoryView::kColumns; }

  QVariant data(const QModelIndex& index, int role) const override {
    if (!index.isValid() || index.row() >= Shown()) return {};
    const HistoryView::Entry& entry = m_entries[m_shown[index.row()]];
    switch (role) {
      case Qt::DisplayRole:
      case Qt::ToolTipRole:
        if (index.column() == HistoryView::kTime && entry.time.isValid())
          return entry.time.toLocalTime().toString(QLatin1String(kTimeFormat));
        return entry.cells[index.column()];
      case Qt::TextAlignmentRole:
        return index.column() == HistoryView::kMs ? int(Qt::AlignRight | Qt::AlignVCenter)
                                                  : int(Qt::AlignLeft | Qt::AlignVCenter);
      default:
        return {};
    }
  }

  QVariant headerData(int section, Qt::Orientation orientation, int role) const override {
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole || section < 0 || section >= m_headers.size())
      return QAbstractTableModel::headerData(section, orientation, role);
    return m_headers[section];
  }

 private:
  const std::vector<HistoryView::Entry>& m_entries;
  std::vector<int> m_shown;
  QStringList m_headers;
};

HistoryView::Loaded HistoryView::Read(const QString& path, const BackgroundWork::Job* job) {
  Loaded out;
  const QVector<QJsonObject> raw = ReadHistory(path, &out.skipped, &out.problem);
  out.exists = out.problem.Any() || QFileInfo::exists(path);
  // Most cells repeat (the programs, operations, outcomes): one copy of each is kept.
  QHash<QString, QString> seen;
  const auto shared = [&seen](const QString& text) {
    const auto it = seen.constFind(text);
    return it != seen.constEnd() ? *it : *seen.insert(text, text);
  };
  QSet<QString> units;
  out.entries.reserve(raw.size());
  for (qsizetype i = raw.size() - 1; i >= 0; --i) {
    if (job && i % kStopCheckEvery == 0 && job->Stopped()) return {};
    const QJsonObject& e = raw[i];
    Entry entry;
    const QString time = e[QStringLiteral("time")].toString();
    entry.time = QDateTime::fromString(time, Qt::ISODateWithMs);
    if (!entry.time.isValid()) entry.cells[kTime] = PrintableText(ValueText(e[QStringLiteral("time")]));
    for (int c = kTime + 1; c < kColumns; ++c) {
      const QString cell = PrintableText(ValueText(e[QLatin1String(kKeys[c])]));
      // The times taken are unique: no use looking for a copy to share.
      entry.cells[c] = c == kMs ? cell : shared(cell);
    }
    entry.unit = e[QStringLiteral("unit")].toString();
    if (!entry.unit.isEmpty()) units.insert(entry.unit);
    out.entries.push_back(std::move(entry));
  }
  // Newest first; among entries of one time (or none), the one written later first.
  std::stable_sort(out.entries.begin(), out.entries.end(),
                   [](const Entry& a, const Entry& b) { return a.time > b.time; });
  out.units = QStringList(units.begin(), units.end());
  out.units.sort();
  return out;
}

HistoryView::HistoryView(const Language& lang, QWidget* parent)
    : QWidget(parent), m_lang(lang), m_path(HistoryPath()), m_model(std::make_unique<HistoryModel>(m_loaded.entries)) {
  setObjectName(QStringLiteral("HistoryView"));
  m_unitLabel = new QLabel(this);
  m_unit = new QComboBox(this);
  m_unit->setObjectName(QStringLiteral("historyUnit"));
  m_unit->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
  m_unit->setMinimumContentsLength(12);
  m_unit->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
  m_unitLabel->setBuddy(m_unit);
  m_refresh = new QPushButton(this);
  m_refresh->setObjectName(QStringLiteral("historyRefresh"));

  m_fromOn = new QCheckBox(this);
  m_fromOn->setObjectName(QStringLiteral("historyFromOn"));
  m_from = new QDateEdit(QDate::currentDate(), this);
  m_from->setObjectName(QStringLiteral("historyFrom"));
  m_toOn = new QCheckBox(this);
  m_toOn->setObjectName(QStringLiteral("historyToOn"));
  m_to = new QDateEdit(QDate::currentDate(), this);
  m_to->setObjectName(QStringLiteral("historyTo"));
  for (QDateEdit* edit : {m_from, m_to}) {
    edit->setDisplayFormat(QStringLiteral("yyyy-MM-dd"));
    edit->setCalendarPopup(true);
    edit->setEnabled(false);
    connect(edit, &QDateEdit::dateChanged, this, &HistoryView::ApplyFilter);
  }
  connect(m_fromOn, &QCheckBox::toggled, m_from, &QWidget::setEnabled);
  connect(m_toOn, &QCheckBox::toggled, m_to, &QWidget::setEnabled);
  connect(m_fromOn, &QCheckBox::toggled, this, &HistoryView::ApplyFilter);
  connect(m_toOn, &QCheckBox::toggled, this, &HistoryView::ApplyFilter);
  connect(m_unit, &QComboBox::currentIndexChanged, this, &HistoryView::ApplyFilter);
  connect(m_refresh, &QPushButton::clicked, this, &HistoryView::Refresh);

  m_status = new QLabel(this);
  m_status->setObjectName(QStringLiteral("historyStatus"));
  m_status->setWordWrap(true);
  m_status->setTextFormat(Qt::PlainText);
  m_status->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);

  m_table = new QTableView(this);
  m_table->setObjectName(QStringLiteral("historyTable"));
  m_table->setModel(m_model.get());
  m_table->setSelectionBehavior(QAbstractItemView::SelectRows);
  m_table->setSelectionMode(QAbstractItemView::SingleSelection);
  m_table->setEditTriggers(QAbstractItemView::NoEditTriggers);
  m_table->setAlternatingRowColors(true);
  m_table->setWordWrap(false);
  m_table->setTabKeyNavigation(false);
  m_table->verticalHeader()->hide();
  // Rows as tall as their text needs, so a small screen shows as many as it can.
  m_table->verticalHeader()->setDefaultSectionSize(m_table->fontMetrics().height() + 6);
  // Rows of one height: a long history is laid out without measuring each row.
  m_table->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
  m_table->horizontalHeader()->setResizeContentsPrecision(200);
  m_table->horizontalHeader()->setStretchLastSection(true);
  m_table->setMinimumHeight(m_table->verticalHeader()->defaultSectionSize() * 3);

  auto* filters = new QGridLayout;
  filters->addWidget(m_unitLabel, 0, 0);
  filters->addWidget(m_unit, 0, 1, 1, 3);
  filters->addWidget(m_refresh, 0, 4);
  filters->addWidget(m_fromOn, 1, 0);
  filters->addWidget(m_from, 1, 1);
  filters->addWidget(m_toOn, 1, 2);
  filters->addWidget(m_to, 1, 3);
  filters->setColumnStretch(1, 1);
  filters->setColumnStretch(3, 1);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(filters);
  layout->addWidget(m_status);
  layout->addWidget(m_table, 1);
  setTabOrder(m_unit, m_refresh);
  setTabOrder(m_refresh, m_fromOn);
  setTabOrder(m_fromOn, m_from);
  setTabOrder(m_from, m_toOn);
  setTabOrder(m_toOn, m_to);
  setTabOrder(m_to, m_status);
  setTabOrder(m_status, m_table);

  FillUnits();
  SetLanguage(lang);
}

HistoryView::~HistoryView() { m_table->setModel(nullptr); }

void HistoryView::SetLanguage(const Language& lang) {
  m_lang = lang;
  m_model->SetLanguage(lang);
  m_unitLabel->setText(lang.Text(QT_TRANSLATE_NOOP("quorvin", "&Unit:")));
  m_unitLabel->setAccessibleName(lang.Text(QT_TRANSLATE_NOOP("quorvin", "Unit")));
  m_unit->setAccessibleName(lang.Text(QT_TRANSLATE_NOOP("quorvin", "Unit")));
  m_unit->setToolTip(lang.Text(QT_TRANSLATE_NOOP("quorvin", "Show the entries of one unit only")));
  if (m_unit->count() > 0) m_unit->setItemText(0, lang.Text(QT_TRANSLATE_NOOP("quorvin", "All units")));
  m_fromOn->setText(lang.Text(QT_TRANSLATE_NOOP("quorvin", "&From")));
  m_fromOn->setAccessibleName(lang.Text(QT_TRANSLATE_NOOP("quorvin", "From a day")));
  m_fromOn->setToolTip(lang.Text(QT_TRANSLATE_NOOP("quorvin", "Show only the entries from this day on")));
  m_from->setAccessibleName(lang.Text(QT_TRANSLATE_NOOP("quorvin", "First day shown")));
  m_from->setToolTip(lang.Text(QT_TRANSLATE_NOOP("quorvin", "The first day shown (local time)")));
  m_toOn->setText(lang.Text(QT_TRANSLATE_NOOP("quorvin", "&To")));
  m_toOn->setAccessibleName(lang.Text(QT_TRANSLATE_NOOP("quorvin", "To a day")));
  m_toOn->setToolTip(lang.Text(QT_TRANSLATE_NOOP("quorvin", "Show only the entries up to this day")));
  m_to->setAccessibleName(lang.Text(QT_TRANSLATE_NOOP("quorvin", "Last day shown")));
  m_to->setToolTip(lang.Text(QT_TRANSLATE_NOOP("quorvin", "The last day shown (local time)")));
  m_refresh->setText(lang.Text(QT_TRANSLATE_NOOP("quorvin", "&Refresh")));
  m_refresh->setAccessibleName(lang.Text(QT_TRANSLATE_NOOP("quorvin", "Refresh")));
  m_refresh->setToolTip(lang.Text(QT_TRANSLATE_NOOP("quorvin", "Read the history again")));
  m_status->setAccessibleName(lang.Text(QT_TRANSLATE_NOOP("quorvin", "History status")));
  m_status->setToolTip(m_path);
  m_table->setAccessibleName(lang.Text(QT_TRANSLATE_NOOP("quorvin", "History")));
  m_table->setToolTip(lang.Text(
      QT_TRANSLATE_NOOP("quorvin", "What the window and quorvinctl did, newest first, one operation a line")));
  UpdateStatus();
}

void HistoryView::showEvent(QShowEvent* event) {
  QWidget::showEvent(event);
  if (!m_readOnce && !m_read.Busy()) Refresh();
}

void HistoryView::Refresh() {
  m_readOnce = true;
  m_reading = true;
  m_path = HistoryPath();
  m_read.Start([this, path = m_path](const BackgroundWork::Job& job) {
    auto loaded = std::make_shared<Loaded>(Read(path, &job));
    job.Deliver([this, loaded] {
      m_reading = false;
      Show(std::move(*loaded));
    });
  });
  UpdateStatus();
}

void HistoryView::Show(Loaded loaded) {
  m_model->Clear();  // the list it points into is replaced
  m_loaded = std::move(loaded);
  m_haveRead = true;
  // A bound the user has not set follows the history, ready for when they set it. Newest first,
  // and those without a time last.
  const auto timed =
      std::find_if(m_loaded.entries.rbegin(), m_loaded.entries.rend(), [](const Entry& e) { return e.time.isValid(); });
  if (timed != m_loaded.entries.rend()) {
    const QDate first = timed->time.toLocalTime().date();
    const QDate last = m_loaded.entries.front().time.toLocalTime().date();
    const QSignalBlocker fromQuiet(m_from);
    const QSignalBlocker toQuiet(m_to);
    if (!m_fromOn->isChecked() && first.isValid()) m_from->setDate(first);
    if (!m_toOn->isChecked() && last.isValid()) m_to->setDate(last);
  }
  FillUnits();
  ApplyFilter();
  // Sized once, from the first rows, so a long history costs no measuring and the user's own
  // widths stay across refreshes.
  if (!m_columnsSized && TotalCount() > 0) {
    m_table->resizeColumnsToContents();
    m_columnsSized = true;
  }
}

void HistoryView::FillUnits() {
  const QVariant chosen = m_unit->currentData();
  const QSignalBlocker quiet(m_unit);
  m_unit->clear();
  m_unit->addItem(m_lang.Text(QT_TRANSLATE_NOOP("quorvin", "All units")));
  for (const QString& unit : m_loaded.units) m_unit->addItem(PrintableText(unit), unit);
  // A unit that has left the history leaves "All units" chosen.
  const int again = chosen.isValid() ? m_unit->findData(chosen) : 0;
  m_unit->setCurrentIndex(std::max(again, 0));
}

void HistoryView::ApplyFilter() {
  const QVariant unit = m_unit->currentData();
  const bool byUnit = unit.isValid();
  const QString wanted = unit.toString();
  // The days are local; the span is turned into the instants it starts and ends at once, rather
  // than every entry's time into a local day.
  const QDateTime from = m_fromOn->isChecked() ? m_from->date().startOfDay() : QDateTime();
  const QDateTime until = m_toOn->isChecked() ? m_to->date().addDays(1).startOfDay() : QDateTime();
  m_model->Filter([&](const Entry& e) {
    if (byUnit && e.unit != wanted) return false;
    // An entry without a readable time cannot be placed in a span of days.
    if ((from.isValid() || until.isValid()) && !e.time.isValid()) return false;
    if (from.isValid() && e.time < from) return false;
    if (until.isValid() && e.time >= until) return false;
    return true;
  });
  UpdateStatus();
}

int HistoryView::ShownCount() const { return m_model->Shown(); }

void HistoryView::UpdateStatus() {
  QString text;
  const bool unreadable = m_loaded.problem.Any();
  if (!m_readOnce || (m_reading && !m_haveRead)) {
    text = m_lang.Text(QT_TRANSLATE_NOOP("quorvin", "Reading the history %1 ...")).arg(m_path);
  } else if (unreadable) {
    text = m_lang.Text(QT_TRANSLATE_NOOP("quorvin", "The history %1 cannot be read: %2"))
               .arg(m_path, FileProblemText(m_lang, m_loaded.problem));
  } else if (!m_loaded.exists) {
    text = m_lang
               .Text(QT_TRANSLATE_NOOP("quorvin",
                                       "No history yet. Every operation of the window and of quorvinctl is recorded "
                                       "in %1"))
               .arg(m_path);
  } else {
    text = m_lang.Text(QT_TRANSLATE_NOOP("quorvin", "%1 of %2 entries shown, from %3"))
               .arg(ShownCount())
               .arg(TotalCount())
               .arg(m_path);
    if (m_loaded.skipped > 0)
      text +=
          QLatin1Char('\n') +
          m_lang.Text(QT_TRANSLATE_NOOP("quorvin", "Lines that are not entries, left out: %1")).arg(m_loaded.skipped);
    if (m_reading) text += QLatin1Char('\n') + m_lang.Text(QT_TRANSLATE_NOOP("quorvin", "Reading it again ..."));
  }
  m_status->setText(text);
  // An unreadable history is not an empty one: no table pretends it has no entries.
  m_table->setVisible(!unreadable);
}

}  // namespace quorvin
