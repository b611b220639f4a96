#pragma once
// Asks before a change reaches a unit (an upgrade, a backup download, a new frequency, erased
// call-button data): what will be done, to which unit, with which file or value. Cancel is the
// default button and Escape cancels, so no Enter or stray click changes a unit; a check box stops
// the asking for that unit, for a bench that repeats one change on it. Tests put in an asker that
// answers as told.

#include <QString>
#include <optional>

#include "app/RunOutcome.h"
#include "ops/Language.h"

class QMessageBox;
class QWidget;

namespace quorvin {

struct ChangeQuestion {
  OpKind op = OpKind::Upgrade;
  QString unit;       // as the window names it ("sn:QV0001 (sim:1)", "COM3")
  QString file;       // the file to send
  qint64 bytes = -1;  // its size
  QString sha256;     // its hash, for the technician to compare with the release note
  std::optional<qint32> hz;
};

enum class Consent { Go, GoAndStopAsking, Cancel };

class ChangeAsker {
 public:
  virtual ~ChangeAsker() = default;
  [[nodiscard]] virtual Consent Ask(QWidget* owner, const Language& lang, const ChangeQuestion& question) = 0;
};

class DialogAsker final : public ChangeAsker {
 public:
  Consent Ask(QWidget* owner, const Language& lang, const ChangeQuestion& question) override;
};

// The question's words: what will be done, to which unit, with what.
[[nodiscard]] QString ChangeQuestionText(const Language& lang, const ChangeQuestion& q);
// The file's size and SHA-256 as the question shows them.
[[nodiscard]] QString FileFactsText(const Language& lang, qint64 bytes, const QString& sha256);

// Adds the answer that changes nothing (RejectRole) as the box's default and its Escape answer, so
// a stray Enter or Escape never starts a change.
void AddSafeAnswer(QMessageBox& box, const QString& text);

// The product's name, the same in both languages, for window and box titles.
[[nodiscard]] QString ProductTitle(const Language& lang);

}  // namespace quorvin
