#pragma once
// What the window says once a run has ended: one box, never two for one failure. Its icon says how
// it went (information: done; warning: refused, nothing changed; critical: a fault), the
// operation's own words stand on top, and below them the cause (the typed fault's detail, which
// the terminal prints too) and the next step.

#include <QString>
#include <vector>

#include "front/RunPolicy.h"
#include "ops/Feedback.h"

namespace quorvin {

enum class OpKind { Version, FrequencyGet, FrequencySet, InitButtons, Upgrade, Download, ReadBack, Restore, Snapshot };
// What writes into the unit: a change, as against a read or a snapshot.
[[nodiscard]] constexpr bool ChangesTheUnit(OpKind op) {
  return op == OpKind::FrequencySet || op == OpKind::InitButtons || op == OpKind::Upgrade || op == OpKind::Download ||
         op == OpKind::Restore;
}

struct HeldBox {
  QString text;
  MsgIcon icon = MsgIcon::None;
};

// What the window knows of a run beyond its report.
struct RunFacts {
  OpKind op = OpKind::Version;
  QString unit;  // as the window names it
  QString file;  // sent or written
  qint64 fileBytes = -1;
  QString oldVersion;  // the version before an upgrade, when it was read
};

struct OutcomeBox {
  MsgIcon icon = MsgIcon::None;  // None: nothing to show (a frequency read fills the field)
  QString text;                  // the headline: the operation's own words
  QString details;               // the cause and the next step, a line each
};

[[nodiscard]] OutcomeBox ComposeOutcome(const Language& lang, const RunFacts& facts, const RunReport& report,
                                        const std::vector<HeldBox>& boxes);

// Whether the run could have left the unit holding part of a firmware: an upgrade that sent
// something and did not end in success.
[[nodiscard]] bool PartialFirmwareRisk(OpKind op, const OpResult& r);

}  // namespace quorvin
