#pragma once
// What the window and quorvinctl say about a run beyond its boxes: the words scripts match on, the
// same in every language and on both links (--json, the history), and the run's history entry.

#include <QDateTime>
#include <QJsonObject>
#include <QString>

#include "ops/OpResult.h"

namespace quorvin {

// Words for scripts, the same in every language and on both links: --json, the history.
[[nodiscard]] QString OutcomeName(Outcome o);
[[nodiscard]] QString FaultName(Fault f);  // empty for Fault::None
// The one word that says how a run ended, for scripts to branch on and quorvinctl's exit status to
// follow: the outcome, refined by the link fault when the link is what stopped it ("ok",
// "device-failed", "no-device", "busy", "ambiguous-device", ...).
[[nodiscard]] QString OutcomeCode(const OpResult& r);

// What a front end knows about a run beyond its result, for its line in the history.
struct HistoryFacts {
  QString program;    // "quorvinctl", "quorvin-setup"
  QString operation;  // "upgrade", "backup read", ...
  QString link;       // "usb", "serial"
  QString unit;       // the repeater, when known (its identity, or the serial port)
  QString location;   // where it hangs, when known
  QString file;       // a file sent or written
  QString sha256;     // of that file, as sent or as written
  QDateTime started;
  qint64 ms = 0;
};
[[nodiscard]] QJsonObject HistoryEntry(const HistoryFacts& facts, const OpResult& r);

}  // namespace quorvin
