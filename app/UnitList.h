#pragma once
// The repeaters the window can drive: every attached one with its identity, where it hangs, its
// serial number, and its version and frequency once read. The chosen one is highlighted and
// remembered by identity; a unit that leaves stays greyed out, and one that comes back is chosen
// again. With several attached and none chosen, nothing runs (as quorvinctl refuses to guess).

#include <QTreeWidget>
#include <optional>
#include <vector>

#include "link/DeviceSelector.h"
#include "ops/Language.h"

namespace quorvin {

// What the window knows of one unit beyond what enumeration says.
struct UnitFacts {
  QString version;
  std::optional<qint32> frequency;
  QString state;  // "in use by process 123", "no permission", ...: empty when all is well
};

class UnitList : public QTreeWidget {
  Q_OBJECT
 public:
  explicit UnitList(Language lang, QWidget* parent = nullptr);
  void SetLanguage(const Language& lang);

  // What enumeration found just now. Answers the units that arrived since the last call.
  std::vector<AttachedRepeater> Update(const std::vector<AttachedRepeater>& attached);
  void SetFacts(const QString& key, const UnitFacts& facts);
  [[nodiscard]] std::optional<UnitFacts> Facts(const QString& key) const;

  // The chosen unit: its key (where it hangs: UnitKey), whether it is attached, and what it is.
  [[nodiscard]] QString ChosenKey() const;
  [[nodiscard]] std::optional<AttachedRepeater> Chosen() const;
  [[nodiscard]] bool ChosenPresent() const;
  [[nodiscard]] int PresentCount() const;
  // Chooses by identity (the one remembered from the last run) or by key.
  bool ChooseIdentity(const QString& identity);
  void ChooseKey(const QString& key);

  // The stable key of a unit while it stays plugged in: where it hangs, else its path.
  [[nodiscard]] static QString UnitKey(const AttachedRepeater& unit);

 signals:
  void chosenChanged();

 private:
  struct Row {
    AttachedRepeater unit;
    bool present = false;
    UnitFacts facts;
  };
  void Redraw();
  Row* Find(const QString& key);
  const Row* Find(const QString& key) const;

  Language m_lang;
  std::vector<Row> m_rows;
  QString m_chosen;  // key
  bool m_redrawing = false;
};

}  // namespace quorvin
