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
#include "support/Files.h"
#include "support/SimProcess.h"

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
  test::StartCtl(upgrade, {"--lang", "en", "--device", "sim:1", "upgrade", dir.filePath("fw.bin")}, sim.SocketPath());
  QString seen;  // the first packet's line: the upgrade holds the unit through its long pause
  ASSERT_TRUE(test::WaitForError(upgrade, "currently 1 data package", 10'000, &seen)) << seen.toStdString();
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

// Runs the station on `sim` until `lines` report lines are written, then stops it; answers the
// report's lines and what it printed.
QList<QByteArray> RunStationUntil(const test::SimProcess& sim, const QStringList& before, int lines, QString* out) {
  QTemporaryDir dir;
  const QString report = dir.filePath("r.jsonl");
  EXPECT_TRUE(test::WriteFile(dir.filePath("r.toml"), "[[step]]\ndo = \"init-buttons\"\n"));
  QProcess ctl;
  test::StartCtl(ctl, before + QStringList{"--report", report, "station", dir.filePath("r.toml")}, sim.SocketPath());
  for (int i = 0; i < 300 && test::ReadFile(report).count('\n') < lines; ++i) QThread::msleep(50);
  // Units started with these stop only after their run: any that should not have run shows.
  ::kill(static_cast<pid_t>(ctl.processId()), SIGINT);
  ctl.waitForFinished(20000);
  *out = QString::fromUtf8(ctl.readAllStandardOutput() + ctl.readAllStandardError());
  QList<QByteArray> all = test::ReadFile(report).split('\n');
  all.removeAll(QByteArray());
  return all;
}

// --device (or QUORVIN_DEVICE) narrows the station to the units it names; the others are left alone.
TEST(CtlStationUnits, TheDeviceSelectorNamesTheOnlyUnitsRun) {
  test::SimProcess sim(test::SimProcess::Units{3}, {});
  ASSERT_TRUE(sim.Ready());
  QString out;
  const QList<QByteArray> lines = RunStationUntil(sim, {"--lang", "en", "--device", "sim:2"}, 1, &out);
  ASSERT_EQ(lines.size(), 1) << out.toStdString();
  EXPECT_EQ(QJsonDocument::fromJson(lines[0]).object()["location"].toString(), "sim:2");
  EXPECT_TRUE(out.contains("Only the units that match sim:2 are run.")) << out.toStdString();
}

// Units fresh from the factory often carry one default serial number: each is run and reported by
// its slot, and the station says they share it.
TEST(CtlStationUnits, UnitsSharingASerialNumberAreEachRun) {
  test::SimProcess sim(test::SimProcess::Units{2}, {"--duplicate-serial"});
  ASSERT_TRUE(sim.Ready());
  QString out;
  const QList<QByteArray> lines = RunStationUntil(sim, {"--lang", "en"}, 2, &out);
  ASSERT_EQ(lines.size(), 2) << out.toStdString();
  QSet<QString> locations;
  for (const QByteArray& line : lines) {
    const QJsonObject o = QJsonDocument::fromJson(line).object();
    EXPECT_EQ(o["result"].toString(), "pass") << line.toStdString();
    EXPECT_EQ(o["serial"].toString(), "QV0001");
    locations << o["location"].toString();
  }
  EXPECT_EQ(locations, QSet<QString>({"sim:1", "sim:2"}));
  EXPECT_TRUE(out.contains("share the serial number QV0001")) << out.toStdString();
}

}  // namespace
}  // namespace quorvin
