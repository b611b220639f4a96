#include "app/LinkPanel.h"

#include <QComboBox>
#include <QGridLayout>
#include <QLabel>
#include <QRadioButton>

#include "app/Controls.h"
#include "app/OperationsPanel.h"

namespace quorvin {

LinkPanel::LinkPanel(Language lang, QWidget* parent) : QGroupBox(parent), m_lang(std::move(lang)) {
  setObjectName(QStringLiteral("linkPanel"));
  m_usb = new QRadioButton(this);
  m_usb->setObjectName(QStringLiteral("ctl%1").arg(ctl::UsbOperation));
  m_serial = new QRadioButton(this);
  m_serial->setObjectName(QStringLiteral("linkSerial"));
  m_portLabel = new QLabel(this);
  m_portLabel->setObjectName(QStringLiteral("ctl%1").arg(ctl::LabelPort));
  m_port = new QComboBox(this);
  m_port->setObjectName(QStringLiteral("ctl%1").arg(ctl::ComboPort));
  m_portLabel->setBuddy(m_port);
  m_speedLabel = new QLabel(this);
  m_speedLabel->setObjectName(QStringLiteral("ctl%1").arg(ctl::LabelSpeed));
  m_speed = new QComboBox(this);
  m_speed->setObjectName(QStringLiteral("ctl%1").arg(ctl::ComboSpeed));
  m_speed->addItems({QStringLiteral("9600"), QStringLiteral("57600"), QStringLiteral("115200")});
  m_speed->setCurrentIndex(2);
  m_speedLabel->setBuddy(m_speed);
  auto* grid = new QGridLayout(this);
  grid->addWidget(m_usb, 0, 0);
  grid->addWidget(m_serial, 0, 1, 1, 3);
  grid->addWidget(m_portLabel, 1, 0);
  grid->addWidget(m_port, 1, 1);
  grid->addWidget(m_speedLabel, 1, 2);
  grid->addWidget(m_speed, 1, 3);
  grid->setColumnStretch(1, 1);
  m_usb->setChecked(true);
  connect(m_usb, &QRadioButton::toggled, this, [this] {
    Enable();
    emit changed();
  });
  connect(m_port, &QComboBox::currentIndexChanged, this, &LinkPanel::changed);
  connect(m_speed, &QComboBox::currentIndexChanged, this, &LinkPanel::changed);
  Relabel();
  Enable();
}

void LinkPanel::SetLanguage(const Language& lang) {
  m_lang = lang;
  Relabel();
}

void LinkPanel::Relabel() {
  const Language& l = m_lang;
  setTitle(l.Text(QT_TRANSLATE_NOOP("quorvin", "Link")));
  setAccessibleName(title());
  m_usb->setText(WithMnemonic(l.Text(QT_TRANSLATE_NOOP("quorvin", "USB")), QLatin1Char('S')));
  m_usb->setAccessibleName(l.Text(QT_TRANSLATE_NOOP("quorvin", "USB")));
  m_usb->setToolTip(l.Text(QT_TRANSLATE_NOOP("quorvin", "Work with the repeater chosen in the list, over USB")));
  m_serial->setText(WithMnemonic(l.Text(QT_TRANSLATE_NOOP("quorvin", "Serial port")), QLatin1Char('P')));
  m_serial->setAccessibleName(l.Text(QT_TRANSLATE_NOOP("quorvin", "Serial port")));
  m_serial->setToolTip(l.Text(QT_TRANSLATE_NOOP(
      "quorvin",
      "Work over a serial port: upgrade, version and the backup transfers (no frequency, no call buttons)")));
  m_portLabel->setText(l.Text(QT_TRANSLATE_NOOP("quorvin", "COM:")));
  m_port->setAccessibleName(l.Text(QT_TRANSLATE_NOOP("quorvin", "Serial port")));
  m_port->setToolTip(l.Text(QT_TRANSLATE_NOOP("quorvin", "The serial ports of this computer, in the system's order")));
  m_speedLabel->setText(l.Text(QT_TRANSLATE_NOOP("quorvin", "Rate:")));
  m_speed->setAccessibleName(l.Text(QT_TRANSLATE_NOOP("quorvin", "Serial speed")));
  m_speed->setToolTip(l.Text(QT_TRANSLATE_NOOP("quorvin", "Bits per second; the repeater's setting decides")));
}

bool LinkPanel::Serial() const { return m_serial->isChecked(); }

void LinkPanel::SetSerial(bool serial) {
  (serial ? m_serial : m_usb)->setChecked(true);
  Enable();
}

QString LinkPanel::Port() const { return m_port->currentIndex() >= 0 ? m_port->currentText() : QString(); }
QString LinkPanel::Speed() const { return m_speed->currentText(); }

void LinkPanel::SetPorts(const QStringList& ports) {
  QStringList now;
  for (int i = 0; i < m_port->count(); ++i) now << m_port->itemText(i);
  if (now == ports) return;
  const QString chosen = Port();
  const QSignalBlocker quiet(m_port);
  m_port->clear();
  // Kept in the order the system reports them, not sorted.
  m_port->addItems(ports);
  m_port->setCurrentIndex(ports.isEmpty() ? -1 : std::max<int>(0, static_cast<int>(ports.indexOf(chosen))));
  emit changed();
}

void LinkPanel::ChoosePort(const QString& port) {
  const int i = m_port->findText(port);
  if (i >= 0) m_port->setCurrentIndex(i);
}

void LinkPanel::SetSpeed(const QString& speed) {
  const int i = m_speed->findText(speed);
  if (i >= 0) m_speed->setCurrentIndex(i);
}

void LinkPanel::SetBusy(bool busy) {
  m_busy = busy;
  Enable();
}

void LinkPanel::Enable() {
  m_usb->setEnabled(!m_busy);
  m_serial->setEnabled(!m_busy);
  m_port->setEnabled(!m_busy && Serial());
  m_speed->setEnabled(!m_busy && Serial());
  m_portLabel->setEnabled(Serial());
  m_speedLabel->setEnabled(Serial());
}

}  // namespace quorvin
