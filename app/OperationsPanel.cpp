#include "app/OperationsPanel.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include "app/Controls.h"
#include "front/FrequencyInput.h"

namespace quorvin {

namespace {

struct ButtonText {
  int id;
  int row;
  int column;
  const char* text;
  QChar key;
  const char* tip;
};

// The layout's grid: row 0 is the frequency field.
const ButtonText kButtons[] = {
    {ctl::SetFrequency, 1, 0, QT_TRANSLATE_NOOP("quorvin", "Setup Frequency"), QLatin1Char('S'),
     QT_TRANSLATE_NOOP("quorvin", "Write the frequency in the field into the repeater (asks first)")},
    {ctl::ReadFrequency, 1, 1, QT_TRANSLATE_NOOP("quorvin", "Read Frequency"), QLatin1Char('R'),
     QT_TRANSLATE_NOOP("quorvin", "Read the repeater's working frequency into the field")},
    {ctl::Upgrade, 2, 0, QT_TRANSLATE_NOOP("quorvin", "Upgrade"), QLatin1Char('U'),
     QT_TRANSLATE_NOOP("quorvin", "Upgrade the repeater's firmware from a .bin file (asks first)")},
    {ctl::ReadVersion, 2, 1, QT_TRANSLATE_NOOP("quorvin", "Read The Version"), QLatin1Char('V'),
     QT_TRANSLATE_NOOP("quorvin", "Read the firmware version")},
    {ctl::InitCallButtons, 3, 0, QT_TRANSLATE_NOOP("quorvin", "Initialize call button data"), QLatin1Char('I'),
     QT_TRANSLATE_NOOP("quorvin", "Erase the call-button data the repeater holds (asks first)")},
    {ctl::BackupDownload, 4, 0, QT_TRANSLATE_NOOP("quorvin", "Download The Backup Data"), QLatin1Char('D'),
     QT_TRANSLATE_NOOP("quorvin", "Send backup data from a .bin file into the repeater (asks first)")},
    {ctl::BackupReadBack, 4, 1, QT_TRANSLATE_NOOP("quorvin", "Upload The Backup Data"), QLatin1Char('B'),
     QT_TRANSLATE_NOOP("quorvin", "Read the repeater's backup data into a file")},
};

bool UsbOnly(int id) { return id == ctl::SetFrequency || id == ctl::ReadFrequency || id == ctl::InitCallButtons; }

}  // namespace

QString WithMnemonic(const QString& text, QChar key) {
  const qsizetype at = text.indexOf(key, 0, Qt::CaseInsensitive);
  if (at >= 0) return QString(text).insert(at, QLatin1Char('&'));
  return text + QStringLiteral("(&") + key + QLatin1Char(')');
}

OperationsPanel::OperationsPanel(Language lang, QWidget* parent) : QWidget(parent), m_lang(std::move(lang)) {
  setObjectName(QStringLiteral("operationsPanel"));
  auto* grid = new QGridLayout(this);
  m_label = new QLabel(this);
  m_field = new QLineEdit(this);
  m_field->setObjectName(QStringLiteral("ctl%1").arg(ctl::Frequency));
  m_field->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
  m_label->setBuddy(m_field);
  m_hz = new QLabel(QStringLiteral("Hz"), this);
  m_mhz = new QLabel(this);
  m_mhz->setObjectName(QStringLiteral("frequencyMhz"));
  auto* fieldRow = new QHBoxLayout;
  fieldRow->addWidget(m_label);
  fieldRow->addWidget(m_field, 1);
  fieldRow->addWidget(m_hz);
  fieldRow->addWidget(m_mhz);
  grid->addLayout(fieldRow, 0, 0, 1, 2);
  QWidget* previous = m_field;
  for (const ButtonText& b : kButtons) {
    auto* button = new QPushButton(this);
    button->setObjectName(QStringLiteral("ctl%1").arg(b.id));
    button->setProperty("controlId", b.id);
    button->setAutoDefault(false);  // Enter never presses a button by accident
    button->setDefault(false);
    grid->addWidget(button, b.row, b.column);
    connect(button, &QPushButton::clicked, this, [this, id = b.id] { emit clicked(id); });
    setTabOrder(previous, button);
    previous = button;
  }
  m_verify = new QCheckBox(this);
  m_verify->setObjectName(QStringLiteral("verifyAfterDownload"));
  m_snapshot = new QCheckBox(this);
  m_snapshot->setObjectName(QStringLiteral("snapshotBeforeChanges"));
  grid->addWidget(m_verify, 5, 0);
  grid->addWidget(m_snapshot, 5, 1);
  setTabOrder(previous, m_verify);
  setTabOrder(m_verify, m_snapshot);
  connect(m_field, &QLineEdit::returnPressed, this, &OperationsPanel::frequencyEntered);
  connect(m_field, &QLineEdit::textEdited, this, [this] {
    m_fieldFromUnit = false;
    m_mhz->clear();
  });
  Relabel();
}

QPushButton* OperationsPanel::Button(int id) const {
  return findChild<QPushButton*>(QStringLiteral("ctl%1").arg(id), Qt::FindDirectChildrenOnly);
}

void OperationsPanel::SetLanguage(const Language& lang) {
  m_lang = lang;
  Relabel();
}

void OperationsPanel::Relabel() {
  const Language& l = m_lang;
  m_label->setText(WithMnemonic(l.Text(QT_TRANSLATE_NOOP("quorvin", "Frequency:")), QLatin1Char('F')));
  m_field->setPlaceholderText(l.Text(QT_TRANSLATE_NOOP("quorvin", "not read yet")));
  m_field->setAccessibleName(l.Text(QT_TRANSLATE_NOOP("quorvin", "Working frequency")));
  m_field->setToolTip(l.Text(QT_TRANSLATE_NOOP(
      "quorvin", "The repeater's working frequency: in Hz, kHz or MHz (433920000, 433.92 MHz); Enter sets it")));
  m_hz->setAccessibleName(l.Text(QT_TRANSLATE_NOOP("quorvin", "Unit: hertz")));
  // Its name is left to its text ("(315.6 MHz)"), which a name of its own would hide from a screen reader.
  m_mhz->setAccessibleDescription(l.Text(QT_TRANSLATE_NOOP("quorvin", "The frequency in MHz")));
  for (const ButtonText& b : kButtons) {
    QPushButton* button = Button(b.id);
    button->setText(WithMnemonic(l.Text(b.text), b.key));
    button->setAccessibleName(l.Text(b.text));
    button->setToolTip(
        UsbOnly(b.id) && m_serial
            ? l.Text(QT_TRANSLATE_NOOP("quorvin", "Works over USB only: the serial link has no command for it"))
            : l.Text(b.tip));
  }
  m_verify->setText(l.Text(QT_TRANSLATE_NOOP("quorvin", "Verify after download")));
  m_verify->setAccessibleName(m_verify->text());
  m_verify->setToolTip(l.Text(
      QT_TRANSLATE_NOOP("quorvin", "After a backup download, read it back and compare it byte by byte with the file")));
  m_snapshot->setText(l.Text(QT_TRANSLATE_NOOP("quorvin", "Snapshot before every change")));
  m_snapshot->setAccessibleName(m_snapshot->text());
  m_snapshot->setToolTip(l.Text(QT_TRANSLATE_NOOP(
      "quorvin", "Before a change over USB, keep the repeater's version, frequency and backup data to restore later")));
}

void OperationsPanel::ShowFrequency(qint32 hz, bool read) {
  if (!read && !m_fieldFromUnit && !m_field->text().isEmpty() && m_field->isModified()) return;  // being typed
  m_field->setText(FrequencyFieldText(hz));
  m_field->setModified(false);
  m_mhz->setText(QStringLiteral("(%1)").arg(FrequencyInMhz(hz)));
  m_fieldFromUnit = true;
}

void OperationsPanel::ForgetFrequency() {
  if (!m_fieldFromUnit) return;  // what the technician typed stays
  m_field->clear();
  m_mhz->clear();
  m_fieldFromUnit = false;
}

void OperationsPanel::SetSerialLink(bool serial) {
  m_serial = serial;
  for (const ButtonText& b : kButtons) Button(b.id)->setEnabled(!m_busy && !(serial && UsbOnly(b.id)));
  m_field->setEnabled(!serial);
  m_snapshot->setEnabled(!serial);
  Relabel();
}

void OperationsPanel::SetBusy(bool busy) {
  m_busy = busy;
  SetSerialLink(m_serial);
}

}  // namespace quorvin
