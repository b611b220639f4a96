#include "app/DeviceCard.h"

#include <QFormLayout>
#include <QLabel>

#include "front/FrequencyInput.h"

namespace quorvin {

namespace {
QLabel* Value(QWidget* parent, const char* name) {
  auto* label = new QLabel(parent);
  label->setObjectName(QLatin1String(name));
  label->setTextFormat(Qt::PlainText);
  label->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
  label->setWordWrap(true);
  return label;
}
}  // namespace

DeviceCard::DeviceCard(Language lang, QWidget* parent) : QGroupBox(parent), m_lang(std::move(lang)) {
  setObjectName(QStringLiteral("deviceCard"));
  m_form = new QFormLayout(this);
  m_identity = Value(this, "cardIdentity");
  m_location = Value(this, "cardLocation");
  m_serial = Value(this, "cardSerial");
  m_version = Value(this, "cardVersion");
  m_frequency = Value(this, "cardFrequency");
  m_state = Value(this, "cardState");
  for (QLabel* value : {m_identity, m_location, m_serial, m_version, m_frequency, m_state})
    m_form->addRow(new QLabel(this), value);
  Relabel();
}

void DeviceCard::SetLanguage(const Language& lang) {
  m_lang = lang;
  Relabel();
}

void DeviceCard::ShowNone(int attached) {
  m_unit.reset();
  m_attached = attached;
  Relabel();
}

void DeviceCard::Show(const AttachedRepeater& unit, const UnitFacts& facts, bool present) {
  m_unit = unit;
  m_facts = facts;
  m_present = present;
  Relabel();
}

void DeviceCard::Relabel() {
  const Language& l = m_lang;
  setTitle(l.Text(QT_TRANSLATE_NOOP("quorvin", "Repeater")));
  const char* names[] = {QT_TRANSLATE_NOOP("quorvin", "Repeater:"),      QT_TRANSLATE_NOOP("quorvin", "Location:"),
                         QT_TRANSLATE_NOOP("quorvin", "Serial number:"), QT_TRANSLATE_NOOP("quorvin", "Version:"),
                         QT_TRANSLATE_NOOP("quorvin", "Frequency:"),     QT_TRANSLATE_NOOP("quorvin", "State:")};
  QLabel* values[] = {m_identity, m_location, m_serial, m_version, m_frequency, m_state};
  for (int i = 0; i < 6; ++i) {
    auto* label = qobject_cast<QLabel*>(m_form->itemAt(i, QFormLayout::LabelRole)->widget());
    label->setText(l.Text(names[i]));
  }
  setAccessibleName(title());
  FillValues();
  // A screen reader reads each value with its field's name: "Version: V2.1", not "V2.1" alone
  // (nor the name alone, hiding the value).
  for (int i = 0; i < 6; ++i) values[i]->setAccessibleName(l.Text(names[i]) + QLatin1Char(' ') + values[i]->text());
}

void DeviceCard::FillValues() {
  const Language& l = m_lang;
  QLabel* values[] = {m_identity, m_location, m_serial, m_version, m_frequency, m_state};
  const QString notRead = l.Text(QT_TRANSLATE_NOOP("quorvin", "not read yet"));
  if (!m_unit) {
    for (QLabel* v : values) v->clear();
    m_identity->setText(
        m_attached == 0
            ? l.Text(QT_TRANSLATE_NOOP("quorvin", "No repeater attached"))
            : l.Text(QT_TRANSLATE_NOOP("quorvin", "%1 repeaters attached: choose one in the list")).arg(m_attached));
    return;
  }
  m_identity->setText(m_unit->identity);
  m_location->setText(m_unit->info.location.isEmpty() ? m_unit->info.path : m_unit->info.location);
  m_serial->setText(m_unit->info.serial.isEmpty() ? l.Text(QT_TRANSLATE_NOOP("quorvin", "none")) : m_unit->info.serial);
  m_version->setText(m_facts.version.isEmpty() ? notRead : m_facts.version);
  m_frequency->setText(
      m_facts.frequency
          ? QStringLiteral("%1 Hz (%2)").arg(FrequencyFieldText(*m_facts.frequency), FrequencyInMhz(*m_facts.frequency))
          : notRead);
  QString state = m_present ? m_facts.state : l.Text(QT_TRANSLATE_NOOP("quorvin", "not attached"));
  if (state.isEmpty()) state = l.Text(QT_TRANSLATE_NOOP("quorvin", "ready"));
  m_state->setText(state);
}

QString DeviceCard::Text() const {
  QStringList lines;
  for (QLabel* v : {m_identity, m_location, m_serial, m_version, m_frequency, m_state})
    if (!v->text().isEmpty()) lines << v->text();
  return lines.join(QLatin1Char('\n'));
}

}  // namespace quorvin
