#pragma once
// The production station: it watches for repeaters, runs the recipe on each one as it arrives,
// every attached unit on its own thread at once, and appends each unit's record to the report.
// Slots are the places units are plugged into (a unit's location, stable across replugging); a
// unit that stays plugged in after its run is not run again, and one that already passed in this
// session is not run again in another slot. Units that share a serial number (fresh from the
// factory, often) are each run, told apart by their slot, and the station says so.

#include <atomic>
#include <functional>
#include <optional>
#include <vector>

#include "cli/station/Recipe.h"
#include "cli/station/ReportFile.h"
#include "cli/station/UnitRun.h"
#include "link/DeviceSelector.h"

namespace quorvin::station {

struct SlotView {
  enum class State { Waiting, AwaitingId, Held, Running, Passed, Failed, Skipped };
  QString slot;
  QString unit;  // its name, once a unit is in the slot
  State state = State::Waiting;
  UnitProgress progress;
  qint64 elapsedMs = 0;
  qint64 leftMs = -1;  // -1: unknown
  QString note;        // the FAIL reason, or why a unit is held or skipped
};

// Where the station shows itself; called from the station's own thread only.
class StationView {
 public:
  virtual ~StationView() = default;
  // The slots as they stand, every tenth of a second or so.
  virtual void Update(const std::vector<SlotView>& shown) = 0;
  // A line that stays: a unit's PASS or FAIL, a unit skipped, a report line that failed.
  virtual void Event(const QString& line) = 0;
  // Asks for the id of the unit in `slot` (--ask-id); the answer comes through LineSource.
  virtual void Prompt(const QString& /*text*/) {}
};

// Lines typed or scanned by the operator, read without blocking.
class LineSource {
 public:
  virtual ~LineSource() = default;
  enum class Read { Line, Nothing, End };
  // Waits at most waitMs for a whole line.
  [[nodiscard]] virtual Read Poll(QString& line, int waitMs) = 0;
};

struct StationOptions {
  const Recipe& recipe;
  HidBackend& backend;  // the station serialises discovery on it; each unit has its own handle
  Clock& clock;         // the units' clock (the station's own waits are in real time)
  Language lang;
  ReportFile& report;
  StationView& view;
  std::atomic<bool>& stop;    // set: take no new units, let the running ones finish
  std::atomic<bool>& abort;   // set: running units stop at once too
  LineSource* ids = nullptr;  // --ask-id: a unit waits for its id before it runs
  QString toolVersion;
  int pollMs = 500;
  std::function<void(const UnitRecord&)> onRecord;  // after each unit's line is written
  // --device or QUORVIN_DEVICE: only the units it matches are run; the others are left alone.
  std::optional<DeviceSelector> only = std::nullopt;
};

struct StationSummary {
  int units = 0;
  int passed = 0;
  int failed = 0;
  bool reportFailed = false;  // a line could not be written: the station stopped taking units
  int leftWithoutId = 0;      // --ask-id: units waiting for their id when the input ended; never run
};

// Runs until `stop`, then waits for the running units; answers what it did.
[[nodiscard]] StationSummary RunStation(StationOptions& options);

}  // namespace quorvin::station
