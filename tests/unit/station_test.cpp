// The production station: its recipe checks, and whole runs against several virtual repeaters in
// this process, one of them faulty.

#include "cli/station/Station.h"

#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>
#include <csignal>
#include <thread>

#include "sim/InProcessBackend.h"
#include "support/Files.h"

namespace quorvin::station {
namespace {

void WriteFile(const QString& path, const QByteArray& bytes) {
  ASSERT_TRUE(test::WriteFile(path, bytes)) << path.toStdString();
}

QString Sha(const QByteArray& b) {
  return QString::fromLatin1(QCryptographicHash::hash(b, QCryptographicHash::Sha256).toHex());
}

class RecipeTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(dir.isValid());
    WriteFile(dir.filePath("fw.bin"), firmware);
  }
  std::optional<Recipe> Load(const QByteArray& text) {
    WriteFile(dir.filePath("r.toml"), text);
    return LoadRecipe(dir.filePath("r.toml"), Language(), &error);
  }
  QTemporaryDir dir;
  QByteArray firmware = QByteArray(1000, 'F');
  RecipeError error;
};

TEST_F(RecipeTest, ValidRecipeKeepsStepsAndTheFilesBytes) {
  const auto r =
      Load("# line station\n[[step]]\ndo = \"upgrade\"\nfile = \"fw.bin\"\nsha256 = \"" +
           Sha(firmware).toUpper().toLatin1() +
           "\"\n[[step]]\ndo = \"set-frequency\"\nhz = 433920000\n[[step]]\ndo = \"read-backup\"\nfolder = \".\"\n");
  ASSERT_TRUE(r) << error.text.toStdString();
  ASSERT_EQ(r->steps.size(), 3u);
  EXPECT_EQ(r->steps[0].image, firmware);
  EXPECT_EQ(r->steps[0].file, dir.filePath("fw.bin"));
  EXPECT_EQ(r->steps[1].hz, 433920000);
  EXPECT_EQ(r->steps[2].line, 9);
}

TEST_F(RecipeTest, RefusedWithTheLineAndTheProblem) {
  const QByteArray upgrade =
      "[[step]]\ndo = \"upgrade\"\nfile = \"fw.bin\"\nsha256 = \"" + Sha(firmware).toLatin1() + "\"\n";
  struct Case {
    QByteArray text;
    RecipeProblem problem;
    int line;
  } cases[] = {
      {upgrade + "[[step]]\ndo = \"upgrad\"\n", RecipeProblem::UnknownStep, 6},
      {"[[step]]\ndo = \"upgrade\"\nfile = \"fw.bin\"\nsha256 = \"" + QByteArray(64, 'a') + "\"\n",
       RecipeProblem::HashMismatch, 4},
      {"[[step]]\ndo = \"upgrade\"\nfile = \"fw.bin\"\nsha256 = \"abc\"\n", RecipeProblem::BadValue, 4},
      {"[[step]]\ndo = \"upgrade\"\nfile = \"fw.bin\"\n", RecipeProblem::MissingKey, 1},
      {"[[step]]\ndo = \"download-backup\"\n\nfile = \"gone.bin\"\n", RecipeProblem::FileMissing, 4},
      {"[[step]]\ndo = \"download-backup\"\nfile = \"\"\n", RecipeProblem::BadValue, 3},
      {upgrade + "[[step]]\ndo = \"set-frequency\"\nhz = 950000000\n", RecipeProblem::OutOfRange, 7},
      {"[[step]]\ndo = \"set-frequency\"\nhz = \"433920000\"\n", RecipeProblem::BadValue, 3},
      {"[[step]]\ndo = \"init-buttons\"\nfrequency = 1\n", RecipeProblem::UnknownKey, 3},
      {"[[step]]\ndo = \"read-backup\"\nfolder = \"missing\"\n", RecipeProblem::FolderMissing, 3},
      {"[[step]\ndo = 1\n", RecipeProblem::Syntax, 1},
      {"# nothing yet\n", RecipeProblem::NoSteps, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text.toStdString());
    error = {};
    EXPECT_FALSE(Load(c.text));
    EXPECT_EQ(error.problem, c.problem);
    EXPECT_EQ(error.line, c.line);
    EXPECT_FALSE(error.text.isEmpty());
  }
}

// Several virtual repeaters on one backend, each at its own location with its own serial number,
// as the station sees a bench of plugged-in units.
class Bench final : public HidBackend {
 public:
  explicit Bench(Clock& clock) : m_clock(clock) {}

  InProcessBackend& Plug(const QString& serial, const QString& location) {
    std::lock_guard lock(m_mutex);
    m_units.push_back({serial, location, std::make_unique<InProcessBackend>(m_clock), true});
    return *m_units.back().device;
  }
  void Unplug(const QString& serial) {
    std::lock_guard lock(m_mutex);
    for (Unit& u : m_units)
      if (u.serial == serial) u.present = false;
  }
  std::vector<HidDeviceInfo> Enumerate() override {
    std::lock_guard lock(m_mutex);
    std::vector<HidDeviceInfo> list;
    for (std::size_t i = 0; i < m_units.size(); ++i) {
      if (!m_units[i].present) continue;
      for (HidDeviceInfo info : m_units[i].device->Enumerate()) {
        info.path = QStringLiteral("bench:%1").arg(i);
        info.serial = m_units[i].serial;
        info.location = m_units[i].location;
        list.push_back(info);
      }
    }
    return list;
  }
  HidOpen Open(const QString& path, std::unique_ptr<HidHandle>& handle) override {
    std::lock_guard lock(m_mutex);
    const int i = path.section(QLatin1Char(':'), 1).toInt();
    if (i < 0 || std::size_t(i) >= m_units.size() || !m_units[i].present) return HidOpen::Failed;
    return m_units[i].device->Open(InProcessBackend::kPath, handle);
  }
  QString Name() const override { return QStringLiteral("bench"); }

 private:
  struct Unit {
    QString serial;
    QString location;
    std::unique_ptr<InProcessBackend> device;
    bool present;
  };
  Clock& m_clock;
  std::mutex m_mutex;
  std::vector<Unit> m_units;
};

class Recorder final : public StationView {
 public:
  void Update(const std::vector<SlotView>& s) override {
    std::lock_guard lock(mutex);
    shown = s;
  }
  void Event(const QString&) override {}
  std::map<QString, SlotView::State> States() {
    std::lock_guard lock(mutex);
    std::map<QString, SlotView::State> m;
    for (const SlotView& v : shown) m[v.slot] = v.state;
    return m;
  }
  std::mutex mutex;
  std::vector<SlotView> shown;
};

class StationTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(dir.isValid());
    ASSERT_TRUE(QDir(dir.path()).mkdir("backups"));
    WriteFile(dir.filePath("fw.bin"), QByteArray(3000, 'F'));
    WriteFile(dir.filePath("r.toml"), "[[step]]\ndo = \"upgrade\"\nfile = \"fw.bin\"\nsha256 = \"" +
                                          Sha(QByteArray(3000, 'F')).toLatin1() +
                                          "\"\n[[step]]\ndo = \"set-frequency\"\nhz = 433920000\n"
                                          "[[step]]\ndo = \"init-buttons\"\n"
                                          "[[step]]\ndo = \"check-version\"\nequals = \"V2.1\"\n"
                                          "[[step]]\ndo = \"read-backup\"\nfolder = \"backups\"\n");
    RecipeError error;
    recipe = LoadRecipe(dir.filePath("r.toml"), Language(), &error);
    ASSERT_TRUE(recipe) << error.text.toStdString();
    QString why;
    ASSERT_TRUE(report.Open(dir.filePath("report.jsonl"), &why));
  }
  InProcessBackend& Plug(int n, const QString& location) {
    InProcessBackend& unit = bench.Plug(QStringLiteral("QV%1").arg(n, 4, 10, QLatin1Char('0')), location);
    unit.WithModel([](DeviceModel& m) { (void)m.SetVersion("V2.1"); });
    return unit;
  }
  // Runs the station until `until` holds (checked after every unit's record), then stops it.
  StationSummary RunUntil(const std::function<bool()>& until, LineSource* ids = nullptr) {
    StationOptions options{*recipe, bench, clock, Language(), report, view, stop, abort, ids, "test", 20, {}};
    options.pollMs = 20;
    options.onRecord = [this](const UnitRecord& r) {
      std::lock_guard lock(mutex);
      records.push_back(r);
    };
    StationSummary summary;
    std::thread station([&] { summary = RunStation(options); });
    for (int i = 0; i < 600 && !until(); ++i) std::this_thread::sleep_for(std::chrono::milliseconds(50));
    stop = true;
    station.join();
    return summary;
  }
  std::size_t Count() {
    std::lock_guard lock(mutex);
    return records.size();
  }
  std::vector<QJsonObject> ReportLines() {
    QFile f(dir.filePath("report.jsonl"));
    EXPECT_TRUE(f.open(QIODevice::ReadOnly));
    std::vector<QJsonObject> lines;
    for (const QByteArray& line : f.readAll().split('\n')) {
      if (line.isEmpty()) continue;
      QJsonParseError e{};
      lines.push_back(QJsonDocument::fromJson(line, &e).object());
      EXPECT_EQ(e.error, QJsonParseError::NoError) << line.toStdString();
    }
    return lines;
  }

  QTemporaryDir dir;
  VirtualClock clock;
  Bench bench{clock};
  Recorder view;
  ReportFile report;
  std::optional<Recipe> recipe;
  std::atomic<bool> stop{false};
  std::atomic<bool> abort{false};
  std::mutex mutex;
  std::vector<UnitRecord> records;
};

TEST_F(StationTest, FourUnitsAtOnceOneRefusingTheUpgradeEachRecordedOnce) {
  for (int n = 1; n <= 4; ++n) Plug(n, QStringLiteral("sim:%1").arg(n));
  // Unit 3 takes the whole image and refuses it; the interface at sim:9 is not a repeater.
  bench.Unplug(QStringLiteral("QV0003"));
  Plug(3, QStringLiteral("sim:3")).WithModel([](DeviceModel& m) { m.Faults().refuse = FaultCount::Always(); });
  bench.Plug(QStringLiteral("X"), QStringLiteral("sim:9")).WithModel([](DeviceModel& m) { m.SetIds(0x1234, 0x5678); });

  // Every unit done, then a while longer: units left plugged in must not run again.
  const StationSummary s = RunUntil([this] {
    if (Count() < 4) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    return true;
  });
  EXPECT_EQ(s.units, 4);
  EXPECT_EQ(s.passed, 3);
  EXPECT_EQ(s.failed, 1);
  const auto states = view.States();
  EXPECT_EQ(states.at("sim:1"), SlotView::State::Passed);
  EXPECT_EQ(states.at("sim:3"), SlotView::State::Failed);
  EXPECT_EQ(states.count("sim:9"), 0u);  // not a repeater

  const auto lines = ReportLines();
  ASSERT_EQ(lines.size(), 4u);
  for (const QJsonObject& o : lines) {
    SCOPED_TRACE(QJsonDocument(o).toJson().toStdString());
    const QString serial = o["serial"].toString();
    EXPECT_EQ(o["location"].toString(), "sim:" + serial.right(1));
    EXPECT_EQ(o["unit"].toString(), serial);
    EXPECT_FALSE(o["startedAt"].toString().isEmpty());
    const QJsonArray steps = o["steps"].toArray();
    if (serial == "QV0003") {
      EXPECT_EQ(o["result"].toString(), "fail");
      EXPECT_EQ(o["failedStep"].toString(), "upgrade");
      EXPECT_EQ(steps.last().toObject()["outcome"].toString(), "refused");
      continue;
    }
    EXPECT_EQ(o["result"].toString(), "pass");
    EXPECT_EQ(o["frequency"].toInt(), 433920000);
    EXPECT_EQ(o["newVersion"].toString(), "V2.1");
    QStringList names;
    for (const auto& step : steps) names << step.toObject()["step"].toString();
    EXPECT_EQ(names, QStringList({"read-version", "upgrade", "set-frequency", "read-frequency", "init-buttons",
                                  "check-version", "read-backup", "read-version"}));
    const QJsonObject read = o["files"].toArray().last().toObject();
    QFile backup(read["file"].toString());
    ASSERT_TRUE(backup.open(QIODevice::ReadOnly));
    EXPECT_EQ(read["sha256"].toString(), Sha(backup.readAll()));
    EXPECT_EQ(o["files"].toArray().first().toObject()["sha256"].toString(), Sha(QByteArray(3000, 'F')));
  }
}

TEST_F(StationTest, UnitUnpluggedMidRecipeFailsAloneAndMayRunAgainElsewhereButAPassedOneNot) {
  Plug(1, QStringLiteral("sim:1"));
  Plug(2, QStringLiteral("sim:2")).WithModel([](DeviceModel& m) { m.Faults().vanishAfterReports = 6; });
  // Once both have ended, both are moved to new slots: the failed one runs again, the passed one
  // is skipped.
  std::vector<UnitRecord> first;
  RunUntil([&] {
    if (first.empty()) {
      if (Count() < 2) return false;
      {
        std::lock_guard lock(mutex);
        first = records;
      }
      bench.Unplug(QStringLiteral("QV0001"));
      bench.Unplug(QStringLiteral("QV0002"));
      Plug(1, QStringLiteral("sim:3"));
      Plug(2, QStringLiteral("sim:4"));
    }
    const auto s = view.States();
    return Count() >= 3 && s.count("sim:3") && s.at("sim:3") == SlotView::State::Skipped;
  });
  ASSERT_EQ(first.size(), 2u);
  for (const UnitRecord& r : first) {
    if (r.unit.serial == "QV0002") {
      EXPECT_FALSE(r.pass);
      EXPECT_EQ(r.Failed()->outcome, "unplugged");
    } else {
      EXPECT_TRUE(r.pass);
    }
  }
  ASSERT_EQ(records.size(), 3u);
  EXPECT_TRUE(records[2].pass);
  EXPECT_EQ(records[2].unit.slot, "sim:4");
  EXPECT_EQ(ReportLines().size(), 3u);
}

// The operator's answers, one a prompt.
class Answers final : public LineSource {
 public:
  explicit Answers(QStringList lines) : m_lines(std::move(lines)) {}
  Read Poll(QString& line, int) override {
    if (m_lines.isEmpty()) return Read::Nothing;
    line = m_lines.takeFirst();
    return Read::Line;
  }

 private:
  QStringList m_lines;
};

TEST_F(StationTest, AskedIdsNameTheUnitsAndNeverReachOutsideTheBackupFolder) {
  Plug(1, QStringLiteral("sim:1"));
  Answers ids({"../../escaped", "BC-0002"});
  RunUntil([this] { return Count() >= 1; }, &ids);
  ASSERT_EQ(records.size(), 1u);
  EXPECT_TRUE(records[0].pass);
  const QJsonObject line = ReportLines().at(0);
  EXPECT_EQ(line["unit"].toString(), "../../escaped");
  EXPECT_EQ(line["operatorId"].toString(), "../../escaped");
  EXPECT_EQ(line["serial"].toString(), "QV0001");
  const QFileInfo backup(line["files"].toArray().last().toObject()["file"].toString());
  EXPECT_EQ(backup.absolutePath(), QDir(dir.filePath("backups")).absolutePath());
  EXPECT_TRUE(backup.fileName().startsWith("unit.._.._escaped-")) << backup.fileName().toStdString();
}

TEST(StationReport, ALineThatDoesNotFitIsCutBackLeavingWholeLinesOnly) {
  QTemporaryDir dir;
  ReportFile report;
  QString why;
  ASSERT_TRUE(report.Open(dir.filePath("r.jsonl"), &why));
  ASSERT_TRUE(report.Append("{\"unit\":1}", &why));
  // A file-size limit just past the first line stands for a full disk: the second line is written
  // only in part, and must not stay.
  const auto previous = std::signal(SIGXFSZ, SIG_IGN);
  rlimit old{};
  ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &old), 0);
  rlimit tight = old;
  tight.rlim_cur = 20;
  ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &tight), 0);
  const bool appended = report.Append(QByteArray(100, 'x'), &why);
  setrlimit(RLIMIT_FSIZE, &old);
  std::signal(SIGXFSZ, previous);
  EXPECT_FALSE(appended);
  EXPECT_FALSE(why.isEmpty());
  QFile f(dir.filePath("r.jsonl"));
  ASSERT_TRUE(f.open(QIODevice::ReadOnly));
  EXPECT_EQ(f.readAll(), QByteArray("{\"unit\":1}\n"));
}

TEST(StationReport, RefusedWhereNoRegularFileCanBeAppended) {
  QTemporaryDir dir;
  ReportFile report;
  QString why;
  EXPECT_FALSE(report.Open(dir.path(), &why));
  EXPECT_FALSE(report.Open(dir.filePath("missing/report.jsonl"), &why));
  EXPECT_FALSE(why.isEmpty());
  // A FIFO without a reader is said to be what it is, not "No such device or address".
  const QString fifo = dir.filePath("fifo");
  ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
  EXPECT_FALSE(report.Open(fifo, &why));
  EXPECT_TRUE(why.startsWith("not a regular file")) << why.toStdString();
}

}  // namespace
}  // namespace quorvin::station
