// The production station against four quorvin-sim processes: one unit running the recipe alone,
// then four at once. The recipe's time is mostly the device's own pauses (4000 ms after the first
// upgrade packet, 50 ms after each later one), so four units should take little longer than one.

#include <QCryptographicHash>
#include <QDateTime>
#include <QFile>
#include <atomic>
#include <cstdio>
#include <mutex>
#include <thread>

#include "bench/Bench.h"
#include "bench/SimProcess.h"
#include "cli/station/Station.h"
#include "link/Backends.h"

namespace quorvin::bench {

namespace {

// The sims' sockets as one bench of units, each at its own location; `shown` of them are plugged in.
class SimBench final : public HidBackend {
 public:
  void Add(std::unique_ptr<HidBackend> unit) { m_units.push_back(std::move(unit)); }
  std::atomic<int> shown{0};
  std::vector<HidDeviceInfo> Enumerate() override {
    std::vector<HidDeviceInfo> list;
    for (int i = 0; i < shown && i < int(m_units.size()); ++i)
      for (HidDeviceInfo info : m_units[i]->Enumerate()) {
        info.location = QStringLiteral("sim:%1").arg(i + 1);
        list.push_back(info);
      }
    return list;
  }
  HidOpen Open(const QString& path, std::unique_ptr<HidHandle>& handle) override {
    for (auto& unit : m_units)
      for (const HidDeviceInfo& info : unit->Enumerate())
        if (info.path == path) return unit->Open(path, handle);
    return HidOpen::Failed;
  }
  QString Name() const override { return QStringLiteral("bench"); }

 private:
  std::vector<std::unique_ptr<HidBackend>> m_units;
};

class Quiet final : public station::StationView {
 public:
  void Update(const std::vector<station::SlotView>&) override {}
  void Event(const QString& line) override { std::fprintf(stderr, "bench: station: %s\n", qPrintable(line)); }
};

// Runs the station until `units` records are in; answers them.
std::vector<station::UnitRecord> RunFor(const station::Recipe& recipe, SimBench& bench, station::ReportFile& report,
                                        std::size_t units) {
  RealClock clock;
  Quiet view;
  std::atomic<bool> stop{false};
  std::atomic<bool> abort{false};
  std::mutex mutex;
  std::vector<station::UnitRecord> records;
  station::StationOptions options{recipe, bench, clock,   Language(), report, view,
                                  stop,   abort, nullptr, "bench",    200,    {}};
  options.onRecord = [&](const station::UnitRecord& r) {
    std::lock_guard lock(mutex);
    records.push_back(r);
    if (records.size() >= units) stop = true;
  };
  (void)station::RunStation(options);
  return records;
}

// From the first unit's start to the last one's end, when all passed; -1 otherwise.
double SpanMs(const std::vector<station::UnitRecord>& records) {
  if (records.empty()) return -1;
  QDateTime first = records.front().startedAt;
  QDateTime last = records.front().endedAt;
  for (const auto& r : records) {
    if (!r.pass) return -1;
    first = std::min(first, r.startedAt);
    last = std::max(last, r.endedAt);
  }
  return static_cast<double>(first.msecsTo(last));
}

}  // namespace

void RunStationBench(const BenchConfig& cfg, Figures& figures) {
  constexpr int kUnits = 4;
  const qint64 bytes = cfg.quick ? 4096 : 16'384;
  const QString image = cfg.workDir + QStringLiteral("/station-fw.bin");
  if (!WritePattern(image, bytes, 23)) {
    figures.Failed(QStringLiteral("station: cannot write ") + image);
    return;
  }
  QFile f(image);
  QByteArray data;
  if (f.open(QIODevice::ReadOnly)) data = f.readAll();
  const QByteArray hash = QCryptographicHash::hash(data, QCryptographicHash::Sha256).toHex();
  QFile recipeFile(cfg.workDir + QStringLiteral("/station.toml"));
  if (!recipeFile.open(QIODevice::WriteOnly) ||
      recipeFile.write("[[step]]\ndo = \"upgrade\"\nfile = \"station-fw.bin\"\nsha256 = \"" + hash +
                       "\"\n[[step]]\ndo = \"set-frequency\"\nhz = 433920000\n[[step]]\ndo = \"init-buttons\"\n"
                       "[[step]]\ndo = \"read-backup\"\nfolder = \".\"\n") < 0 ||
      !recipeFile.flush()) {
    figures.Failed(QStringLiteral("station: cannot write the recipe"));
    return;
  }
  recipeFile.close();
  station::RecipeError problem;
  const auto recipe = station::LoadRecipe(recipeFile.fileName(), Language(), &problem);
  station::ReportFile report;
  QString why;
  if (!recipe || !report.Open(cfg.workDir + QStringLiteral("/station.jsonl"), &why)) {
    figures.Failed(QStringLiteral("station: ") + (recipe ? why : problem.text));
    return;
  }

  std::vector<std::unique_ptr<SimProcess>> sims;
  SimBench bench;
  for (int i = 1; i <= kUnits; ++i) {
    const QString socket = cfg.workDir + QStringLiteral("/station-%1.sock").arg(i);
    sims.push_back(std::make_unique<SimProcess>(cfg.simPath));
    QString error;
    if (!sims.back()->Start({QStringLiteral("--hid-socket"), socket}, error)) {
      figures.Failed(QStringLiteral("station: ") + error);
      return;
    }
    bench.Add(MakeSocketBackend(socket));
  }

  std::fprintf(stderr, "bench: station, a recipe with an upgrade of %lld bytes: one unit alone, then %d at once\n",
               static_cast<long long>(bytes), kUnits);
  bench.shown = 1;
  const double aloneMs = SpanMs(RunFor(*recipe, bench, report, 1));
  bench.shown = kUnits;
  const double allMs = SpanMs(RunFor(*recipe, bench, report, kUnits));
  if (aloneMs <= 0 || allMs <= 0) {
    figures.Failed(QStringLiteral("station: a unit did not pass (see the report in the work directory)"));
    return;
  }
  std::fprintf(stderr, "bench: station: one unit %.0f ms, %d units %.0f ms\n", aloneMs, kUnits, allMs);
  const double speedup = kUnits * aloneMs / allMs;
  figures.Print("station_units_per_hour", kUnits * 3'600'000.0 / allMs, 1);
  figures.Print("station_parallel_speedup", speedup, 2);
  if (speedup < 3.5) figures.Missed(QStringLiteral("station_parallel_speedup %1 < 3.5").arg(speedup));
}

}  // namespace quorvin::bench
