#pragma once
// The chosen repeater at a glance, before the technician acts: who it is, where it hangs, its
// serial number, version and frequency once read, and anything that keeps it from being used
// (another program driving it, no permission to open it).

#include <QGroupBox>
#include <optional>

#include "app/UnitList.h"

class QFormLayout;
class QLabel;

namespace quorvin {

class DeviceCard : public QGroupBox {
  Q_OBJECT
 public:
  explicit DeviceCard(Language lang, QWidget* parent = nullptr);
  void SetLanguage(const Language& lang);
  // Nothing chosen: the card says what to do instead; `attached` is how many are there.
  void ShowNone(int attached);
  void Show(const AttachedRepeater& unit, const UnitFacts& facts, bool present);
  [[nodiscard]] QString Text() const;  // every line, for tests and the log

 private:
  void Relabel();
  void FillValues();
  Language m_lang;
  QFormLayout* m_form = nullptr;
  QLabel* m_identity = nullptr;
  QLabel* m_location = nullptr;
  QLabel* m_serial = nullptr;
  QLabel* m_version = nullptr;
  QLabel* m_frequency = nullptr;
  QLabel* m_state = nullptr;
  std::optional<AttachedRepeater> m_unit;
  UnitFacts m_facts;
  bool m_present = false;
  int m_attached = 0;
};

}  // namespace quorvin
