#pragma once
// The words that name an operation's outcome and fault in quorvinctl's --json and in the station's
// report: stable, for scripts to branch on, and independent of the language and the messages.

#include <QString>

#include "ops/OpResult.h"

namespace quorvin {

[[nodiscard]] QString OutcomeName(Outcome o);
// What exactly went wrong, in a word that is the same on both links; empty for Fault::None.
[[nodiscard]] QString FaultName(Fault f);

}  // namespace quorvin
