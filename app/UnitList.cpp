#include "app/UnitList.h"

#include <QHeaderView>

#include "front/FrequencyInput.h"

namespace quorvin {

namespace {
enum Column { kIdentity, kLocation, kSerial, kVersion, kFrequency, kState, kColumns };
}  // namespace

QString UnitList::UnitKey(const AttachedRepeater& unit) {
  return unit.info.location.isEmpty() ? unit.info.path : unit.info.location;
}

UnitList::UnitList(Language lang, QWidget* parent) : QTreeWidget(parent), m_lang(std::move(lang)) {
  setObjectName(QStringLiteral("unitList"));
  setColumnCount(kColumns);
  setRootIsDecorated(false);
  setSelectionMode(QAbstractItemView::SingleSelection);
  setAllColumnsShowFocus(true);
  setUniformRowHeights(true);
  header()->setStretchLastSection(true);
  connect(this, &QTreeWidget::itemSelectionChanged, this, [this] {
    if (m_redrawing) return;
    const QList<QTreeWidgetItem*> items = selectedItems();
    const QString key = items.isEmpty() ? QString() : items.front()->data(0, Qt::UserRole).toString();
    if (key.isEmpty() || key == m_chosen) return;
    m_chosen = key;
    emit chosenChanged();
  });
  SetLanguage(m_lang);
}

void UnitList::SetLanguage(const Language& lang) {
  m_lang = lang;
  setHeaderLabels(
      {m_lang.Text(QT_TRANSLATE_NOOP("quorvin", "Repeater")), m_lang.Text(QT_TRANSLATE_NOOP("quorvin", "Location")),
       m_lang.Text(QT_TRANSLATE_NOOP("quorvin", "Serial number")), m_lang.Text(QT_TRANSLATE_NOOP("quorvin", "Version")),
       m_lang.Text(QT_TRANSLATE_NOOP("quorvin", "Frequency")), m_lang.Text(QT_TRANSLATE_NOOP("quorvin", "State"))});
  setAccessibleName(m_lang.Text(QT_TRANSLATE_NOOP("quorvin", "Attached repeaters")));
  setToolTip(m_lang.Text(QT_TRANSLATE_NOOP("quorvin", "Choose the repeater the buttons work on")));
  Redraw();
}

UnitList::Row* UnitList::Find(const QString& key) {
  for (Row& r : m_rows)
    if (UnitKey(r.unit) == key) return &r;
  return nullptr;
}

const UnitList::Row* UnitList::Find(const QString& key) const { return const_cast<UnitList*>(this)->Find(key); }

std::vector<AttachedRepeater> UnitList::Update(const std::vector<AttachedRepeater>& attached) {
  std::vector<AttachedRepeater> arrived;
  std::vector<bool> was;
  for (Row& r : m_rows) was.push_back(std::exchange(r.present, false));
  for (const AttachedRepeater& a : attached) {
    std::size_t i = 0;
    while (i < m_rows.size() && UnitKey(m_rows[i].unit) != UnitKey(a)) ++i;
    if (i == m_rows.size()) {
      m_rows.push_back({a, false, {}});
      was.push_back(false);
    } else if (m_rows[i].unit.info.serial != a.info.serial || m_rows[i].unit.info.path != a.info.path) {
      // Another unit in the same place (another serial number, another node): nothing read from
      // the one before carries over to it.
      m_rows[i].facts = {};
      was[i] = false;
    }
    if (!was[i]) arrived.push_back(a);
    m_rows[i].present = true;
    m_rows[i].unit = a;
  }
  // A single unit needs no choosing; but a unit chosen once is never swapped for another behind the
  // technician's back when it leaves.
  if (PresentCount() == 1 && m_chosen.isEmpty())
    for (const Row& r : m_rows)
      if (r.present) m_chosen = UnitKey(r.unit);
  Redraw();
  return arrived;
}

void UnitList::SetFacts(const QString& key, const UnitFacts& facts) {
  if (Row* row = Find(key)) row->facts = facts;
  Redraw();
}

std::optional<UnitFacts> UnitList::Facts(const QString& key) const {
  const Row* row = Find(key);
  return row ? std::optional<UnitFacts>(row->facts) : std::nullopt;
}

QString UnitList::ChosenKey() const { return m_chosen; }

std::optional<AttachedRepeater> UnitList::Chosen() const {
  const Row* row = Find(m_chosen);
  return row ? std::optional<AttachedRepeater>(row->unit) : std::nullopt;
}

bool UnitList::ChosenPresent() const {
  const Row* row = Find(m_chosen);
  return row && row->present;
}

int UnitList::PresentCount() const {
  int n = 0;
  for (const Row& r : m_rows) n += r.present ? 1 : 0;
  return n;
}

bool UnitList::ChooseIdentity(const QString& identity) {
  for (const Row& r : m_rows) {
    if (r.present && r.unit.identity == identity) {
      ChooseKey(UnitKey(r.unit));
      return true;
    }
  }
  return false;
}

void UnitList::ChooseKey(const QString& key) {
  if (key == m_chosen) return;
  m_chosen = key;
  Redraw();
  emit chosenChanged();
}

void UnitList::Redraw() {
  m_redrawing = true;
  clear();
  for (const Row& r : m_rows) {
    auto* item = new QTreeWidgetItem(this);
    item->setData(0, Qt::UserRole, UnitKey(r.unit));
    item->setText(kIdentity, r.unit.identity);
    item->setText(kLocation, r.unit.info.location);
    item->setText(kSerial, r.unit.info.serial.isEmpty() ? QStringLiteral("-") : r.unit.info.serial);
    item->setText(kVersion, r.facts.version);
    item->setText(kFrequency, r.facts.frequency ? FrequencyInMhz(*r.facts.frequency) : QString());
    QString state = r.facts.state;
    // A unit that answered the look and has nothing to report reads as the card says: ready.
    if (state.isEmpty() && !r.facts.version.isEmpty()) state = m_lang.Text(QT_TRANSLATE_NOOP("quorvin", "ready"));
    if (!r.present)
      state = m_lang.Text(QT_TRANSLATE_NOOP("quorvin", "not attached"));
    else if (r.unit.duplicateSerial)
      state = m_lang.Text(QT_TRANSLATE_NOOP("quorvin", "shares its serial number")) +
              (state.isEmpty() ? QString() : QStringLiteral("; ") + state);
    item->setText(kState, state);
    if (!r.present) {
      item->setFlags(item->flags() & ~Qt::ItemIsSelectable);
      for (int c = 0; c < kColumns; ++c) item->setForeground(c, palette().brush(QPalette::Disabled, QPalette::Text));
    }
    if (UnitKey(r.unit) == m_chosen && r.present) item->setSelected(true);
  }
  // Fitted to what they hold, with room between them: "sn:QV0002" and "QV0002" side by side
  // would otherwise read as one.
  const int gap = fontMetrics().averageCharWidth() * 2;
  for (int c = 0; c < kColumns - 1; ++c) {
    resizeColumnToContents(c);
    setColumnWidth(c, columnWidth(c) + gap);
  }
  m_redrawing = false;
}

}  // namespace quorvin
