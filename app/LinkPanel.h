#pragma once
// Which link the buttons use: USB, or a serial port at a speed. The ports are listed in the
// system's order and refreshed as adapters come and go; the last port and speed are remembered.

#include <QGroupBox>

#include "ops/Language.h"

class QComboBox;
class QLabel;
class QRadioButton;

namespace quorvin {

class LinkPanel : public QGroupBox {
  Q_OBJECT
 public:
  explicit LinkPanel(Language lang, QWidget* parent = nullptr);
  void SetLanguage(const Language& lang);

  [[nodiscard]] bool Serial() const;
  void SetSerial(bool serial);
  [[nodiscard]] QString Port() const;  // the chosen port's item, empty when none is listed
  [[nodiscard]] QString Speed() const;
  // The ports the system lists now, in its order; the chosen one stays chosen while listed.
  void SetPorts(const QStringList& ports);
  void ChoosePort(const QString& port);
  void SetSpeed(const QString& speed);
  void SetBusy(bool busy);

  [[nodiscard]] QComboBox* PortBox() const { return m_port; }
  [[nodiscard]] QComboBox* SpeedBox() const { return m_speed; }
  [[nodiscard]] QRadioButton* UsbButton() const { return m_usb; }
  [[nodiscard]] QRadioButton* SerialButton() const { return m_serial; }

 signals:
  void changed();

 private:
  void Relabel();
  void Enable();
  Language m_lang;
  QRadioButton* m_usb = nullptr;
  QRadioButton* m_serial = nullptr;
  QLabel* m_portLabel = nullptr;
  QComboBox* m_port = nullptr;
  QLabel* m_speedLabel = nullptr;
  QComboBox* m_speed = nullptr;
  bool m_busy = false;
};

}  // namespace quorvin
