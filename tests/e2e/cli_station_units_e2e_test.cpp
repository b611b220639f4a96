// quorvinctl station against quorvin-sim --units 4: four repeaters in one folder, each its own unit
// at sim:N with its own serial number, all run at once, each recorded once however long it stays.

#include <gtest/gtest.h>
#include <signal.h>

#include <QJsonDocument>
#include <QJsonObject>
#include <QSet>
#include <QTemporaryDir>
#include <QThread>

#include "CtlProcess.h"
#include "SimProcess.h"

namespace quorvin {
namespace {

TEST(CtlStationUnits, FourSimulatedUnitsRunAtOnceAndEachIsRecordedOnce) {
  test::SimProcess sim(test::SimProcess::Units{4}, {});
  ASSERT_TRUE(sim.Ready());
  QTemporaryDir dir;
  const QString report = dir.filePath("r.jsonl");
  // No read-back here: four streams at once on a loaded machine can starve past its 100 ms per
  // packet; the in-process station test reads back from several units.
  ASSERT_TRUE(test::WriteFile(dir.filePath("r.toml"),
                              "[[step]]\ndo = \"set-frequency\"\nhz = 433920000\n"
                              "[[step]]\ndo = \"init-buttons\"\n"));
  QProcess ctl;
  test::StartCtl(ctl, {"--json", "--report", report, "station", dir.filePath("r.toml")}, sim.SocketPath());
  for (int i = 0; i < 300 && test::ReadFile(report).count('\n') < 4; ++i) QThread::msleep(100);
  QThread::msleep(1500);  // the units stay plugged in: none may run again
  ::kill(static_cast<pid_t>(ctl.processId()), SIGINT);
  ASSERT_TRUE(ctl.waitForFinished(10000));
  EXPECT_EQ(ctl.exitCode(), 130);

  const QList<QByteArray> lines = test::ReadFile(report).split('\n');
  ASSERT_EQ(lines.size(), 5);  // four lines and the empty rest after the last newline
  QSet<QString> locations;
  for (int i = 0; i < 4; ++i) {
    const QJsonObject o = QJsonDocument::fromJson(lines[i]).object();
    EXPECT_EQ(o["result"].toString(), "pass") << lines[i].toStdString();
    EXPECT_EQ(o["serial"].toString(), "QV000" + o["location"].toString().mid(4)) << lines[i].toStdString();
    locations << o["location"].toString();
  }
  EXPECT_EQ(locations, QSet<QString>({"sim:1", "sim:2", "sim:3", "sim:4"}));
  const QJsonObject summary = QJsonDocument::fromJson(ctl.readAllStandardOutput()).object();
  EXPECT_EQ(summary["result"].toObject()["passed"].toInt(), 4);
}

// A unit quorvinctl is driving (an upgrade, in its pause after the first packet) is not run by the
// station too: both take the same lock, and the station's unit fails as busy.
TEST(CtlStationUnits, AUnitAnotherProgramDrivesFailsAsBusy) {
  test::SimProcess sim(test::SimProcess::Units{1}, {});
  ASSERT_TRUE(sim.Ready());
  QTemporaryDir dir;
  ASSERT_TRUE(test::WriteFile(dir.filePath("fw.bin"), QByteArray(100, 'F')));
  ASSERT_TRUE(test::WriteFile(dir.filePath("r.toml"), "[[step]]\ndo = \"init-buttons\"\n"));
  QProcess upgrade;
  test::StartCtl(upgrade, {"--device", "sim:1", "upgrade", dir.filePath("fw.bin")}, sim.SocketPath());
  QThread::msleep(1000);
  const QString report = dir.filePath("r.jsonl");
  QProcess ctl;
  test::StartCtl(ctl, {"--report", report, "station", dir.filePath("r.toml")}, sim.SocketPath());
  for (int i = 0; i < 100 && !test::ReadFile(report).contains('\n'); ++i) QThread::msleep(50);
  ::kill(static_cast<pid_t>(ctl.processId()), SIGINT);
  ASSERT_TRUE(ctl.waitForFinished(10000));
  const QJsonObject o = QJsonDocument::fromJson(test::ReadFile(report).split('\n').value(0)).object();
  EXPECT_EQ(o["result"].toString(), "fail");
  EXPECT_EQ(o["failedStep"].toString(), "lock");
  ASSERT_TRUE(upgrade.waitForFinished(20000));
  EXPECT_EQ(upgrade.exitCode(), 0);
}

}  // namespace
}  // namespace quorvin
