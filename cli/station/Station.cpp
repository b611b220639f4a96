#include "cli/station/Station.h"

#include <QJsonDocument>
#include <chrono>
#include <map>
#include <memory>
#include <mutex>
#include <set>
#include <thread>

#include "host/Clock.h"
#include "link/HidLink.h"
#include "link/SerialisedBackend.h"

namespace quorvin::station {

namespace {

using State = SlotView::State;
constexpr int kSliceMs = 100;  // the longest the station waits without looking at `stop`

// One unit's run on its thread.
struct Run {
  Run(Clock& clock, std::atomic<bool>& abort) : fb(clock, abort) {}
  UnitFeedback fb;
  UnitRecord record;
  std::atomic<bool> done{false};
  std::thread thread;
  qint64 startMs = 0;
};

struct Slot {
  State state = State::Waiting;
  UnitIdentity unit;
  QString note;
  std::unique_ptr<Run> run;
};

QString SlotKey(const HidDeviceInfo& info) { return info.location.isEmpty() ? info.path : info.location; }

class Station {
 public:
  explicit Station(StationOptions& o) : m_o(o), m_backend(o.backend) {}
  ~Station();
  StationSummary Run();

 private:
  void Reap();
  void Look();
  void Arrive(Slot& slot);
  void AskIds();
  void Start(Slot& slot);
  void Show();
  [[nodiscard]] bool Running() const;
  [[nodiscard]] bool TakingUnits() const { return !m_o.stop.load() && !m_noMoreUnits; }
  [[nodiscard]] qint64 Now() const { return MonoMs(); }
  QString Text(const char* source) const { return m_o.lang.Text(source); }

  StationOptions& m_o;
  SerialisedBackend m_backend;
  std::map<QString, Slot> m_slots;  // by slot key, in the order a display lists them
  std::set<QString> m_passed;       // serial numbers that passed this session
  std::set<QString> m_shared;       // serial numbers seen on two units at once: they name no unit
  std::optional<QString> m_asking;  // the slot whose id is asked for
  bool m_noMoreUnits = false;
  bool m_toldStopping = false;
  qint64 m_typicalMs = -1;  // how long the last passing unit took: the time-left estimate
  StationSummary m_summary;
};

Station::~Station() {
  // Only reached with units still running when the station is torn down by an exception: they
  // are stopped, never left to outlive what they use.
  m_o.abort = true;
  for (auto& [key, slot] : m_slots)
    if (slot.run && slot.run->thread.joinable()) slot.run->thread.join();
}

bool Station::Running() const {
  for (const auto& [key, slot] : m_slots)
    if (slot.state == State::Running) return true;
  return false;
}

void Station::Start(Slot& slot) {
  slot.state = State::Running;
  slot.note.clear();
  slot.run = std::make_unique<struct Run>(m_o.clock, m_o.abort);
  struct Run* run = slot.run.get();
  run->startMs = Now();
  const UnitIdentity unit = slot.unit;
  run->thread = std::thread([this, run, unit] {
    UnitEnv env{m_backend, m_o.clock, m_o.lang, run->fb};
    run->record = RunUnit(m_o.recipe, unit, env);
    run->done = true;
  });
}

void Station::Reap() {
  for (auto& [key, slot] : m_slots) {
    if (slot.state != State::Running || !slot.run->done.load()) continue;
    slot.run->thread.join();
    const UnitRecord& rec = slot.run->record;
    ++m_summary.units;
    QString line;
    if (rec.pass) {
      ++m_summary.passed;
      slot.state = State::Passed;
      if (!rec.unit.serial.isEmpty()) m_passed.insert(rec.unit.serial);
      m_typicalMs = Now() - slot.run->startMs;
      line = Text(QT_TRANSLATE_NOOP("quorvin", "PASS  %1  %2")).arg(key, rec.unit.Name());
    } else {
      ++m_summary.failed;
      slot.state = State::Failed;
      const StepRecord* failed = rec.Failed();
      slot.note = QStringLiteral("%1: %2").arg(failed ? failed->step : QString(), rec.reason);
      line = Text(QT_TRANSLATE_NOOP("quorvin", "FAIL  %1  %2  %3")).arg(key, rec.unit.Name(), slot.note);
    }
    const QByteArray json = QJsonDocument(rec.ToJson(m_o.recipe, m_o.toolVersion)).toJson(QJsonDocument::Compact);
    QString why;
    if (!m_o.report.Append(json, &why)) {
      // The unit's record must not be lost: it is shown whole, and no further unit is taken
      // while nothing can be recorded.
      m_summary.reportFailed = true;
      m_noMoreUnits = true;
      line += QLatin1Char('\n') +
              Text(QT_TRANSLATE_NOOP("quorvin",
                                     "The report %1 could not be written (%2): the station takes no more units. "
                                     "The unit's record: %3"))
                  .arg(m_o.report.Path(), why, QString::fromUtf8(json));
    }
    m_o.view.Event(line);
    if (m_o.onRecord) m_o.onRecord(rec);
  }
}

void Station::Arrive(Slot& slot) {
  const QString& serial = slot.unit.serial;
  // A serial number two units carry cannot say that this one passed already, or is the one still
  // running elsewhere: each such unit is run in its own slot.
  if (!serial.isEmpty() && !m_shared.count(serial)) {
    if (m_passed.count(serial)) {
      slot.state = State::Skipped;
      slot.note = Text(QT_TRANSLATE_NOOP("quorvin", "already passed in this session: not run again"));
      m_o.view.Event(Text(QT_TRANSLATE_NOOP("quorvin", "SKIP  %1  %2  %3")).arg(slot.unit.slot, serial, slot.note));
      return;
    }
    for (const auto& [key, other] : m_slots) {
      if (&other != &slot && other.state == State::Running && other.unit.serial == serial) {
        // The same unit seen in two slots: moved while its run in the old slot has not ended yet
        // (or two units carry one serial number). It waits until the other run is over.
        slot.state = State::Held;
        slot.note = Text(QT_TRANSLATE_NOOP("quorvin", "the same unit is still running in slot %1")).arg(key);
        return;
      }
    }
  }
  if (m_o.ids) {
    slot.state = State::AwaitingId;
    return;
  }
  Start(slot);
}

void Station::Look() {
  std::map<QString, HidDeviceInfo> present;
  std::map<QString, QStringList> slotsOf;  // by serial number
  for (const HidDeviceInfo& info : m_backend.Enumerate()) {
    if (!HidLink::IsRepeater(info) || (m_o.only && !Matches(*m_o.only, info))) continue;
    present.emplace(SlotKey(info), info);
    if (!info.serial.isEmpty()) slotsOf[info.serial] << SlotKey(info);
  }
  for (const auto& [serial, where] : slotsOf) {
    if (where.size() < 2 || m_shared.count(serial)) continue;
    m_shared.insert(serial);
    m_o.view.Event(Text(QT_TRANSLATE_NOOP("quorvin",
                                          "Warning: the units in slots %1 share the serial number %2; each is run "
                                          "and reported by its slot."))
                       .arg(where.join(QStringLiteral(", ")), serial));
  }
  for (auto& [key, slot] : m_slots) {
    if (slot.state == State::Running) continue;  // its run sees for itself when the unit goes
    const auto it = present.find(key);
    const bool same = it != present.end() && it->second.path == slot.unit.path && it->second.serial == slot.unit.serial;
    if (!same && slot.state != State::Waiting) {
      // Unplugged (or another unit in its place): the slot is free for the next one.
      if (m_asking == key) {
        m_asking.reset();
        m_o.view.Prompt({});
      }
      slot = Slot{};
      slot.unit.slot = key;
    }
  }
  for (const auto& [key, info] : present) {
    Slot& slot = m_slots[key];
    if (slot.state == State::Waiting || slot.state == State::Held) {
      if (!TakingUnits()) continue;
      slot.unit = UnitIdentity{key, info.path, info.serial, {}};
      Arrive(slot);
    }
  }
}

void Station::AskIds() {
  if (!m_o.ids) return;
  if (!m_asking) {
    for (auto& [key, slot] : m_slots) {
      if (slot.state != State::AwaitingId) continue;
      m_asking = key;
      m_o.view.Prompt(
          Text(QT_TRANSLATE_NOOP("quorvin", "Scan or type the id of the unit in slot %1 (%2), then Enter: "))
              .arg(key, slot.unit.Name()));
      break;
    }
    if (!m_asking) return;
  }
  QString line;
  switch (m_o.ids->Poll(line, kSliceMs)) {
    case LineSource::Read::Nothing:
      return;
    case LineSource::Read::End:
      // Nobody can answer any more: no unit may run without the id the operator asked to give.
      m_noMoreUnits = true;
      m_o.view.Event(
          Text(QT_TRANSLATE_NOOP("quorvin", "No more input for unit ids: the station takes no more units.")));
      for (auto& [key, slot] : m_slots) {
        if (slot.state != State::AwaitingId) continue;
        slot.state = State::Waiting;
        ++m_summary.leftWithoutId;
      }
      m_asking.reset();
      m_o.view.Prompt({});
      return;
    case LineSource::Read::Line:
      break;
  }
  m_o.view.Prompt({});
  const auto it = m_slots.find(*m_asking);
  line = line.trimmed();
  if (it == m_slots.end() || it->second.state != State::AwaitingId) {
    m_asking.reset();
    return;
  }
  if (line.isEmpty()) {
    m_asking.reset();  // asked again
    return;
  }
  it->second.unit.operatorId = line;
  m_asking.reset();
  Start(it->second);
}

void Station::Show() {
  std::vector<SlotView> views;
  for (auto& [key, slot] : m_slots) {
    SlotView v{key, slot.state == State::Waiting ? QString() : slot.unit.Name(), slot.state, {}, 0, -1, slot.note};
    if (slot.state == State::Running) {
      v.progress = slot.run->fb.Snapshot();
      v.elapsedMs = Now() - slot.run->startMs;
      v.leftMs = m_typicalMs >= 0 ? std::max<qint64>(0, m_typicalMs - v.elapsedMs) : v.progress.stepLeftMs;
    }
    views.push_back(std::move(v));
  }
  m_o.view.Update(views);
}

StationSummary Station::Run() {
  qint64 nextLook = 0;
  for (;;) {
    Reap();
    const bool taking = TakingUnits();
    if (!taking && !m_toldStopping && m_o.stop.load() && Running()) {
      m_toldStopping = true;
      m_o.view.Event(Text(QT_TRANSLATE_NOOP(
          "quorvin", "Stopping: no new units; the running ones finish first (Ctrl+C again stops at once).")));
    }
    if (!taking) {
      for (auto& [key, slot] : m_slots)
        if (slot.state == State::AwaitingId || slot.state == State::Held) slot.state = State::Waiting;
      if (m_asking) m_o.view.Prompt({});
      m_asking.reset();
      if (!Running()) break;
    }
    if (Now() >= nextLook) {
      Look();
      nextLook = Now() + m_o.pollMs;
    }
    Show();
    const qint64 before = Now();
    if (taking && m_o.ids) AskIds();
    if (const qint64 left = kSliceMs - (Now() - before); left > 0)
      std::this_thread::sleep_for(std::chrono::milliseconds(left));
  }
  Show();
  return m_summary;
}

}  // namespace

StationSummary RunStation(StationOptions& options) { return Station(options).Run(); }

}  // namespace quorvin::station
