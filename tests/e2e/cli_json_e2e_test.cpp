// quorvinctl --json as a script reads it: exactly one object on standard output, whatever the path
// (a wrong command line, --help, the udev rule, the port list), and a wrong line sends nothing.

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>

#include "CtlProcess.h"
#include "support/Files.h"
#include "support/SimProcess.h"

namespace quorvin {
namespace {

using test::CtlRun;
using test::RunCtl;

// The whole of standard output is one JSON object on one line.
QJsonObject OnlyObject(const CtlRun& r) {
  QJsonParseError error{};
  const QJsonDocument doc = QJsonDocument::fromJson(r.out.toUtf8(), &error);
  EXPECT_EQ(error.error, QJsonParseError::NoError) << r.out.toStdString();
  EXPECT_TRUE(doc.isObject()) << r.out.toStdString();
  EXPECT_EQ(r.out.count(QLatin1Char('\n')), 1) << r.out.toStdString();
  EXPECT_FALSE(doc.object()["code"].toString().isEmpty()) << r.out.toStdString();
  return doc.object();
}

// Where --json stands and what a refused line's object holds are the parser's (cli_options_test,
// cli_usage_test); here, that the process prints that one object alone and sends nothing.
TEST(CtlJson, ARefusedLineIsOneObjectAndSendsNothing) {
  test::SimProcess sim({"--trace"});
  ASSERT_TRUE(sim.Ready());
  const CtlRun r = RunCtl({"--bogus", "--json", "version"}, sim.SocketPath());
  EXPECT_EQ(r.exitCode, 2);
  const QJsonObject o = OnlyObject(r);
  EXPECT_EQ(o["code"].toString(), "usage-error");
  EXPECT_TRUE(r.err.isEmpty()) << r.err.toStdString();
  // A USB-only command with --port is refused as usage, though the operation itself never started.
  const QJsonObject usbOnly = OnlyObject(RunCtl({"--json", "--port", "ttyS0", "init-buttons"}, sim.SocketPath()));
  EXPECT_EQ(usbOnly["outcome"].toString(), "not-started");
  EXPECT_EQ(usbOnly["code"].toString(), "usage-error");
  EXPECT_EQ(usbOnly["exitCode"].toInt(), 2);
  EXPECT_FALSE(sim.Output().contains("host>")) << sim.Output().toStdString();
}

TEST(CtlJson, HelpRuleAndPortsAreObjectsToo) {
  CtlRun r = RunCtl({"--json", "--help"}, {});
  EXPECT_EQ(r.exitCode, 0);
  QJsonObject o = OnlyObject(r);
  EXPECT_TRUE(o["success"].toBool());
  EXPECT_EQ(o["code"].toString(), "ok");
  EXPECT_TRUE(o["usage"].toString().contains("exit status"));

  r = RunCtl({"--json", "udev-rule"}, {});
  EXPECT_EQ(r.exitCode, 0);
  o = OnlyObject(r);
  EXPECT_TRUE(o["success"].toBool());
  EXPECT_TRUE(o["result"].toObject()["rule"].toString().contains("uaccess"));
  EXPECT_FALSE(o.contains("link"));

  // Listing serial ports uses no link; it must not claim the USB one.
  r = RunCtl({"--json", "ports"}, {});
  EXPECT_EQ(r.exitCode, 0);
  o = OnlyObject(r);
  EXPECT_FALSE(o.contains("link")) << r.out.toStdString();
  EXPECT_TRUE(o["result"].toObject()["ports"].isArray());
  EXPECT_EQ(o["operation"].toString(), "ports");
}

// The same fault has the same word on both links, beside an exit status that does not depend on
// any text: a device that stops streaming part way through a read-back, then a file too large.
TEST(CtlJson, TheSameFaultIsNamedAlikeOnBothLinks) {
  QTemporaryDir dir;
  test::SimProcess sim({"--serial", "--stop-readback", "1"});
  ASSERT_TRUE(sim.Ready());
  const QString out = dir.filePath("backup.bin");
  for (const QStringList& link : {QStringList{}, QStringList{"--port", sim.SerialPath()}}) {
    SCOPED_TRACE(link.join(' ').toStdString());
    QJsonObject o =
        OnlyObject(RunCtl(QStringList{"--json"} + link + QStringList{"backup", "read", out}, sim.SocketPath()));
    EXPECT_EQ(o["exitCode"].toInt(), 1);
    EXPECT_EQ(o["code"].toString(), "device-failed");
    EXPECT_EQ(o["fault"].toString(), "packet-missing");
    EXPECT_FALSE(o["detail"].toString().isEmpty());
    o = OnlyObject(RunCtl(QStringList{"--json"} + link + QStringList{"upgrade", "/dev/null"}, sim.SocketPath()));
    EXPECT_EQ(o["exitCode"].toInt(), 5);
    EXPECT_EQ(o["fault"].toString(), "file-empty");
  }
}

// A download with --verify reads the backup back: a device that keeps one byte wrong fails, naming
// where; a file too short to reach that byte comes back whole.
TEST(CtlJson, VerifyNamesTheFirstDifferenceOnBothLinks) {
  QTemporaryDir dir;
  test::SimProcess sim({"--serial", "--store-flip", "10"});
  ASSERT_TRUE(sim.Ready());
  ASSERT_TRUE(test::WriteFile(dir.filePath("long.bin"), QByteArray(300, 'L')));
  ASSERT_TRUE(test::WriteFile(dir.filePath("short.bin"), QByteArray(8, 'S')));
  const QStringList serial{"--port", sim.SerialPath()};
  for (const QStringList& link : {QStringList{}, serial}) {
    SCOPED_TRACE(link.join(' ').toStdString());
    const QJsonObject o = OnlyObject(
        RunCtl(QStringList{"--json"} + link + QStringList{"backup", "download", dir.filePath("long.bin"), "--verify"},
               sim.SocketPath()));
    EXPECT_EQ(o["exitCode"].toInt(), 1);
    EXPECT_EQ(o["fault"].toString(), "mismatch");
    const QJsonObject v = o["result"].toObject()["verify"].toObject();
    EXPECT_FALSE(v["match"].toBool(true));
    EXPECT_EQ(v["firstDifference"].toInt(), 10);
    EXPECT_EQ(v["differingBytes"].toInt(), 1);
  }
  const QJsonObject o = OnlyObject(
      RunCtl(QStringList{"--json"} + serial + QStringList{"backup", "download", dir.filePath("short.bin"), "--verify"},
             sim.SocketPath()));
  EXPECT_EQ(o["exitCode"].toInt(), 0);
  EXPECT_TRUE(o["result"].toObject()["verify"].toObject()["match"].toBool());
}

// Every run leaves its line in the history, which `history` shows; a history that cannot be written
// costs a warning, never the operation.
TEST(CtlJson, TheHistoryRecordsRunsAndNeverFailsThem) {
  QTemporaryDir state;
  const QByteArray saved = qgetenv("XDG_STATE_HOME");
  qputenv("XDG_STATE_HOME", QFile::encodeName(state.path()));
  test::SimProcess sim;
  ASSERT_TRUE(sim.Ready());
  EXPECT_EQ(RunCtl({"version"}, sim.SocketPath()).exitCode, 0);
  EXPECT_EQ(RunCtl({"frequency", "set", "1"}, sim.SocketPath()).exitCode, 2);
  const QJsonObject o = OnlyObject(RunCtl({"--json", "history"}, {}));
  const QJsonArray entries = o["result"].toObject()["entries"].toArray();
  ASSERT_EQ(entries.size(), 2);
  EXPECT_EQ(entries[0].toObject()["operation"].toString(), "version");
  EXPECT_EQ(entries[0].toObject()["version"].toString(), "V1.0");
  EXPECT_EQ(entries[1].toObject()["code"].toString(), "invalid-input");
  // A folder where the history file should be: the run still succeeds, with one warning.
  ASSERT_TRUE(QFile::remove(state.filePath("quorvin/history.jsonl")));
  ASSERT_TRUE(QDir().mkpath(state.filePath("quorvin/history.jsonl")));
  const CtlRun r = RunCtl({"--lang", "en", "version"}, sim.SocketPath());
  EXPECT_EQ(r.exitCode, 0);
  EXPECT_TRUE(r.err.contains("the history could not be written")) << r.err.toStdString();
  qputenv("XDG_STATE_HOME", saved);
}

// A change asked to take a snapshot first keeps what the unit held, and a restore puts it back; a
// snapshot whose backup was altered since is refused, and one that cannot be written stops the change.
TEST(CtlJson, SnapshotsKeepWhatTheUnitHeldAndRestoreIt) {
  QTemporaryDir data;
  const QByteArray saved = qgetenv("XDG_DATA_HOME");
  qputenv("XDG_DATA_HOME", QFile::encodeName(data.path()));
  test::SimProcess sim({"--frequency", "433920000"});
  ASSERT_TRUE(sim.Ready());
  QJsonObject o = OnlyObject(RunCtl({"--json", "frequency", "set", "315000000", "--snapshot"}, sim.SocketPath()));
  ASSERT_EQ(o["exitCode"].toInt(), 0) << QJsonDocument(o).toJson().toStdString();
  const QString folder = o["result"].toObject()["snapshot"].toString();
  ASSERT_TRUE(QFile::exists(folder + "/backup.bin"));
  o = OnlyObject(RunCtl({"--json", "restore", folder}, sim.SocketPath()));
  EXPECT_EQ(o["exitCode"].toInt(), 0);
  o = OnlyObject(RunCtl({"--json", "frequency", "get"}, sim.SocketPath()));
  EXPECT_EQ(o["result"].toObject()["frequency"].toInt(), 433920000);

  QFile backup(folder + "/backup.bin");
  ASSERT_TRUE(backup.open(QIODevice::Append));
  ASSERT_EQ(backup.write("x"), 1);
  backup.close();
  EXPECT_EQ(RunCtl({"restore", folder}, sim.SocketPath()).exitCode, 5);

  // Where the snapshots go is a file: no snapshot, so no change.
  ASSERT_TRUE(QDir(data.filePath("quorvin/snapshots")).removeRecursively());
  ASSERT_TRUE(test::WriteFile(data.filePath("quorvin/snapshots"), "not a folder"));
  EXPECT_NE(RunCtl({"frequency", "set", "315000000", "--snapshot"}, sim.SocketPath()).exitCode, 0);
  o = OnlyObject(RunCtl({"--json", "frequency", "get"}, sim.SocketPath()));
  EXPECT_EQ(o["result"].toObject()["frequency"].toInt(), 433920000);
  qputenv("XDG_DATA_HOME", saved);
}

}  // namespace
}  // namespace quorvin
