// quorvinctl station as a production line runs it: refused before any device is touched when the
// recipe or the report is wrong, and stopped by Ctrl+C once its unit is recorded, with --json's one
// object on standard output on every path.

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>

#include <QDir>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>
#include <QThread>

#include "CtlProcess.h"
#include "support/Files.h"
#include "support/SimProcess.h"

namespace quorvin {
namespace {

using test::CtlRun;
using test::RunCtl;

QJsonObject OnlyObject(const QString& out) {
  QJsonParseError error{};
  const QJsonDocument doc = QJsonDocument::fromJson(out.toUtf8(), &error);
  EXPECT_EQ(error.error, QJsonParseError::NoError) << out.toStdString();
  EXPECT_EQ(out.count(QLatin1Char('\n')), 1) << out.toStdString();
  return doc.object();
}

class CtlStation : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(sim.Ready());
    ASSERT_TRUE(test::WriteFile(Path("ok.toml"),
                                "[[step]]\ndo = \"set-frequency\"\nhz = 433920000\n"
                                "[[step]]\ndo = \"check-version\"\nequals = \"V1.0\"\n"));
  }
  QString Path(const QString& name) const { return dir.filePath(name); }
  QTemporaryDir dir;
  test::SimProcess sim{QStringList{"--trace"}};
};

TEST_F(CtlStation, WrongRecipeOrReportIsRefusedBeforeAnyUnitIsTouched) {
  ASSERT_TRUE(test::WriteFile(Path("bad.toml"), "[[step]]\ndo = \"init-buttons\"\n\n[[step]]\ndo = \"flash\"\n"));
  const CtlRun bad = RunCtl({"--json", "--report", Path("r.jsonl"), "station", Path("bad.toml")}, sim.SocketPath());
  EXPECT_EQ(bad.exitCode, 2);
  const QJsonObject o = OnlyObject(bad.out);
  EXPECT_EQ(o["code"].toString(), "invalid-input");
  EXPECT_EQ(o["result"].toObject()["problem"].toString(), "unknown-step");
  EXPECT_EQ(o["result"].toObject()["line"].toInt(), 5);

  ASSERT_TRUE(QDir(dir.path()).mkdir("folder"));
  const CtlRun report = RunCtl({"--json", "--report", Path("folder"), "station", Path("ok.toml")}, sim.SocketPath());
  EXPECT_EQ(report.exitCode, 5);
  EXPECT_EQ(OnlyObject(report.out)["code"].toString(), "file-error");

  // A FIFO as the recipe with nobody writing to it reads as empty; it never holds the station.
  ASSERT_EQ(::mkfifo(QFile::encodeName(Path("fifo.toml")).constData(), 0600), 0);
  const CtlRun fifo =
      RunCtl({"--json", "--report", Path("r.jsonl"), "station", Path("fifo.toml")}, sim.SocketPath(), 10'000);
  EXPECT_EQ(fifo.exitCode, 2);
  EXPECT_EQ(OnlyObject(fifo.out)["result"].toObject()["problem"].toString(), "no-steps");

  EXPECT_FALSE(sim.Output().contains("host>")) << sim.Output().toStdString();
}

TEST_F(CtlStation, CtrlCAfterTheUnitIsRecordedStopsWithOneObject) {
  QProcess ctl;
  test::StartCtl(ctl, {"--json", "--report", Path("r.jsonl"), "station", Path("ok.toml")}, sim.SocketPath());
  for (int i = 0; i < 300 && test::ReadFile(Path("r.jsonl")).isEmpty(); ++i) QThread::msleep(100);
  const QByteArray line = test::ReadFile(Path("r.jsonl"));
  ASSERT_FALSE(line.isEmpty());
  ::kill(static_cast<pid_t>(ctl.processId()), SIGINT);
  ASSERT_TRUE(ctl.waitForFinished(5000));
  EXPECT_EQ(ctl.exitCode(), 130);
  const QJsonObject o = OnlyObject(QString::fromUtf8(ctl.readAllStandardOutput()));
  EXPECT_EQ(o["code"].toString(), "interrupted");
  EXPECT_EQ(o["result"].toObject()["passed"].toInt(), 1);
  EXPECT_EQ(o["result"].toObject()["units"].toInt(), 1);
  EXPECT_TRUE(line.endsWith('\n'));
  const QJsonObject unit = QJsonDocument::fromJson(line).object();
  EXPECT_EQ(unit["result"].toString(), "pass");
  EXPECT_EQ(unit["frequency"].toInt(), 433920000);
}

// With --ask-id, input that ends while a unit waits for its id leaves that unit never run: the
// station must not end as if all went well.
TEST_F(CtlStation, InputEndingBeforeAnIdIsReadIsNoSuccess) {
  QProcess ctl;
  test::StartCtl(ctl, {"--json", "--ask-id", "--report", Path("r.jsonl"), "station", Path("ok.toml")},
                 sim.SocketPath());
  ctl.closeWriteChannel();
  ASSERT_TRUE(ctl.waitForFinished(15'000));
  EXPECT_EQ(ctl.exitCode(), 2);
  const QJsonObject o = OnlyObject(QString::fromUtf8(ctl.readAllStandardOutput()));
  EXPECT_EQ(o["code"].toString(), "invalid-input");
  EXPECT_EQ(o["result"].toObject()["withoutId"].toInt(), 1);
  EXPECT_TRUE(test::ReadFile(Path("r.jsonl")).isEmpty());
}

}  // namespace
}  // namespace quorvin
