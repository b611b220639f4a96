#pragma once
// The operations: the frequency field and the seven buttons, laid out as technicians know them
// (the frequency on top, then Setup and Read Frequency, Upgrade and Read The Version, the
// call-button initialisation, and the two backup transfers), with the safety net's two switches
// below. Tab order follows the layout; every button has its Alt+letter.

#include <QWidget>

#include "ops/Language.h"

class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace quorvin {

class OperationsPanel : public QWidget {
  Q_OBJECT
 public:
  explicit OperationsPanel(Language lang, QWidget* parent = nullptr);
  void SetLanguage(const Language& lang);

  // By control number (app/Controls.h).
  [[nodiscard]] QPushButton* Button(int id) const;
  [[nodiscard]] QLineEdit* FrequencyField() const { return m_field; }
  [[nodiscard]] QCheckBox* VerifyBox() const { return m_verify; }
  [[nodiscard]] QCheckBox* SnapshotBox() const { return m_snapshot; }

  // The unit's frequency as read; the field shows it unless the technician is typing another,
  // or `read` says the technician asked for it just now.
  void ShowFrequency(qint32 hz, bool read = false);
  // Nothing read from this unit yet: the field says so rather than show a number it does not hold.
  void ForgetFrequency();
  // Over the serial link the frequency and call-button commands do not exist: their buttons are
  // disabled and say why.
  void SetSerialLink(bool serial);
  void SetBusy(bool busy);

 signals:
  void clicked(int id);
  void frequencyEntered();  // Enter in the field

 private:
  void Relabel();

  Language m_lang;
  QLabel* m_label = nullptr;
  QLineEdit* m_field = nullptr;
  QLabel* m_hz = nullptr;
  QLabel* m_mhz = nullptr;
  QCheckBox* m_verify = nullptr;
  QCheckBox* m_snapshot = nullptr;
  bool m_serial = false;
  bool m_busy = false;
  bool m_fieldFromUnit = false;  // the field holds what the unit said, not what was typed
};

// `text` with an Alt+letter: the letter marked where the text has it, else after it in brackets
// ("升级(&U)"), as Chinese buttons carry them.
[[nodiscard]] QString WithMnemonic(const QString& text, QChar key);

}  // namespace quorvin
