#pragma once
// One unit's pass through the recipe, on its own thread: its own HidLink, held to the unit's path
// by a filter, its own Feedback, and the operations of ops/ one after the other until the first
// that fails. What happened goes into a UnitRecord, which becomes the unit's report line.

#include <QDateTime>
#include <QJsonArray>
#include <QJsonObject>
#include <vector>

#include "cli/station/Recipe.h"
#include "cli/station/UnitFeedback.h"
#include "front/RunWords.h"
#include "link/HidBackend.h"
#include "ops/OpResult.h"

namespace quorvin::station {

// Who a unit is and where it hangs.
struct UnitIdentity {
  QString slot;        // the stable location it is plugged into (the path when the platform gives none)
  QString path;        // what the backend opens
  QString serial;      // empty when the device has none
  QString operatorId;  // scanned or typed in with --ask-id
  // What the station calls it: the operator's id, else the serial number, else its slot.
  [[nodiscard]] QString Name() const { return !operatorId.isEmpty() ? operatorId : !serial.isEmpty() ? serial : slot; }
};

struct StepRecord {
  QString step;
  QString outcome;  // "ok", or the fault's word: "refused", "no-reply", "version-mismatch", "unplugged", ...
  qint64 ms = 0;
  QString detail;  // why, in English
};

struct UnitRecord {
  UnitIdentity unit;
  QDateTime startedAt;
  QDateTime endedAt;
  bool pass = false;
  std::vector<StepRecord> steps;
  QString reason;  // on a FAIL: what the operations told the user, else the detail
  QString oldVersion;
  QString newVersion;
  qint32 frequency = 0;
  QJsonArray files;  // {step, file, sha256, direction}

  [[nodiscard]] const StepRecord* Failed() const { return pass || steps.empty() ? nullptr : &steps.back(); }
  [[nodiscard]] QJsonObject ToJson(const Recipe& recipe, const QString& toolVersion) const;
};

struct UnitEnv {
  HidBackend& backend;  // shared with the station: Enumerate and Open are serialised by it
  Clock& clock;
  Language lang;
  UnitFeedback& fb;
};

[[nodiscard]] UnitRecord RunUnit(const Recipe& recipe, const UnitIdentity& unit, UnitEnv& env);

}  // namespace quorvin::station
