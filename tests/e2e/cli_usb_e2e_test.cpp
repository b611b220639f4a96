// quorvinctl against quorvin-sim over the virtual HID socket: what a production script sees.

#include <gtest/gtest.h>

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>
#include <csignal>

#include "CtlProcess.h"
#include "support/Files.h"
#include "support/SimProcess.h"

namespace quorvin {
namespace {

using test::CtlRun;
using test::Pattern;
using test::ReadFile;
using test::RunCtl;
using test::SimProcess;
using test::WriteFile;

QStringList Args(std::initializer_list<const char*> list) {
  QStringList l;
  for (const char* s : list) l << QString::fromUtf8(s);
  return l;
}

// Requests from the host in the sim's trace, e.g. "host> 00 55 aa 01 c0".
int HostRequests(SimProcess& sim, const char* command) {
  return static_cast<int>(sim.Output().count(QStringLiteral("host> 00 55 aa 01 ") + QLatin1String(command)));
}

TEST(CtlUsb, VersionInBothLanguagesAndAsJson) {
  SimProcess sim(Args({"--version", "V2.3"}));
  ASSERT_TRUE(sim.Ready());
  CtlRun r = RunCtl(Args({"--lang", "en", "version"}), sim.SocketPath());
  EXPECT_EQ(r.exitCode, 0) << r.err.toStdString();
  EXPECT_EQ(r.OutLines(), QStringList{"Version :V2.3"});
  r = RunCtl(Args({"--lang", "zh", "version"}), sim.SocketPath());
  EXPECT_EQ(r.OutLines(), QStringList{QString::fromUtf8("当前版本号:V2.3")});
  r = RunCtl(Args({"--json", "--lang", "en", "version"}), sim.SocketPath());
  const QJsonObject o = QJsonDocument::fromJson(r.out.toUtf8()).object();
  EXPECT_EQ(o["operation"].toString(), "version");
  EXPECT_TRUE(o["success"].toBool());
  EXPECT_EQ(o["result"].toObject()["version"].toString(), "V2.3");
  EXPECT_EQ(o["messages"].toArray().size(), 1);
}

TEST(CtlUsb, FrequencySetThenReadBack) {
  SimProcess sim(Args({"--trace"}));
  ASSERT_TRUE(sim.Ready());
  CtlRun r = RunCtl(Args({"--lang", "en", "frequency", "set", "433920000"}), sim.SocketPath());
  EXPECT_EQ(r.exitCode, 0);
  EXPECT_EQ(r.OutLines(), QStringList{"Setup frequency parameters successfully !"});
  r = RunCtl(Args({"frequency", "get"}), sim.SocketPath());
  EXPECT_EQ(r.exitCode, 0);
  EXPECT_EQ(r.OutLines(), QStringList{"433920000"});
  r = RunCtl(Args({"--json", "frequency", "get"}), sim.SocketPath());
  EXPECT_EQ(QJsonDocument::fromJson(r.out.toUtf8()).object()["result"].toObject()["frequency"].toInt(), 433920000);
  EXPECT_EQ(HostRequests(sim, "c0 04"), 1);
}

TEST(CtlUsb, InvalidFrequencySendsNothing) {
  SimProcess sim(Args({"--trace"}));
  ASSERT_TRUE(sim.Ready());
  for (const char* bad : {"299999999", "900000001", "4e8", "abc"}) {
    const CtlRun r = RunCtl(Args({"--lang", "en", "frequency", "set", bad}), sim.SocketPath());
    EXPECT_EQ(r.exitCode, 2) << bad;
    ASSERT_EQ(r.OutLines().size(), 1) << bad;
  }
  EXPECT_EQ(HostRequests(sim, ""), 0);
  // Out of range, however far: even a number too large for any integer gets the range message.
  for (const char* far : {"900000001", "99999999999999999999999"}) {
    const CtlRun r = RunCtl(Args({"--lang", "en", "frequency", "set", far}), sim.SocketPath());
    EXPECT_EQ(r.OutLines(), QStringList{"Please enter a whole number of Hz between 300000000 and 900000000."}) << far;
  }
}

TEST(CtlUsb, BackupReadThenDownloadRoundTrip) {
  QTemporaryDir dir;
  const QByteArray backup = Pattern(540, 7);  // 10 packets
  ASSERT_TRUE(WriteFile(dir.filePath("device.bin"), backup));
  SimProcess sim(Args({"--backup", qPrintable(dir.filePath("device.bin"))}));
  ASSERT_TRUE(sim.Ready());
  const QString out = dir.filePath("read.bin");
  CtlRun r = RunCtl(Args({"--json", "--lang", "en", "backup", "read", qPrintable(out)}), sim.SocketPath());
  EXPECT_EQ(r.exitCode, 0) << r.out.toStdString();
  EXPECT_EQ(ReadFile(out), backup);
  const QJsonObject o = QJsonDocument::fromJson(r.out.toUtf8()).object();
  EXPECT_EQ(o["result"].toObject()["bytes"].toInt(), 540);
  EXPECT_EQ(o["result"].toObject()["file"].toString(), out);

  // Send something else in, read it back.
  const QByteArray next = Pattern(100, 99);
  ASSERT_TRUE(WriteFile(dir.filePath("next.bin"), next));
  r = RunCtl(Args({"--lang", "en", "backup", "download", qPrintable(dir.filePath("next.bin"))}), sim.SocketPath());
  EXPECT_EQ(r.exitCode, 0);
  EXPECT_EQ(r.OutLines(), QStringList{"Download successfully !"});
  r = RunCtl(Args({"backup", "read", qPrintable(out)}), sim.SocketPath());
  EXPECT_EQ(ReadFile(out), next);
}

TEST(CtlUsb, RefusedUpgradeAndPartialReadBackFail) {
  QTemporaryDir dir;
  SimProcess sim(Args({"--refuse", "all", "--stop-readback", "2"}));
  ASSERT_TRUE(sim.Ready());
  ASSERT_TRUE(WriteFile(dir.filePath("fw.bin"), Pattern(52, 1)));
  CtlRun r = RunCtl(Args({"--lang", "en", "upgrade", qPrintable(dir.filePath("fw.bin"))}), sim.SocketPath());
  EXPECT_EQ(r.exitCode, 1);
  EXPECT_EQ(r.OutLines(), QStringList{"Update failed"});
  EXPECT_TRUE(r.err.contains(" Update program  sending failure !"));

  const QByteArray earlier = Pattern(77, 3);
  ASSERT_TRUE(WriteFile(dir.filePath("keep.bin"), earlier));
  r = RunCtl(Args({"--lang", "en", "backup", "read", qPrintable(dir.filePath("keep.bin"))}), sim.SocketPath());
  EXPECT_EQ(r.exitCode, 1);
  EXPECT_EQ(r.OutLines(), QStringList{"Read backup data failed !"});
  EXPECT_EQ(ReadFile(dir.filePath("keep.bin")), earlier);
}

TEST(CtlUsb, SilentAndAbsentDevices) {
  SimProcess sim(Args({"--drop-replies", "all"}));
  ASSERT_TRUE(sim.Ready());
  CtlRun r = RunCtl(Args({"--lang", "en", "init-buttons"}), sim.SocketPath());
  EXPECT_EQ(r.exitCode, 1);
  EXPECT_EQ(r.OutLines(),
            QStringList({"Read data failed, please send again !", "Initialize call button data failed !"}));

  QTemporaryDir dir;
  r = RunCtl(Args({"--lang", "en", "--json", "version"}), dir.filePath("nothing.sock"));
  EXPECT_EQ(r.exitCode, 3);
  const QJsonObject o = QJsonDocument::fromJson(r.out.toUtf8()).object();
  EXPECT_FALSE(o["success"].toBool());
  EXPECT_EQ(o["code"].toString(), "no-device");
  EXPECT_EQ(o["messages"].toArray().at(0).toString(), "Equipment not connected, please connect equipment !");
  r = RunCtl(Args({"devices"}), dir.filePath("nothing.sock"));
  EXPECT_EQ(r.exitCode, 3);
}

// Which lines are refused is the parser's (cli_options_test); here, what the process prints.
TEST(CtlUsb, RefusalsHelpAndTheRule) {
  const CtlRun refused = RunCtl(Args({"frequency", "read"}), {});
  EXPECT_EQ(refused.exitCode, 2);
  EXPECT_TRUE(refused.out.isEmpty()) << refused.out.toStdString();
  EXPECT_TRUE(refused.err.startsWith("quorvinctl: bad command: frequency read\ndid you mean `frequency get`?\n"))
      << refused.err.toStdString();
  const CtlRun help = RunCtl(Args({"--help"}), {});
  EXPECT_EQ(help.exitCode, 0);
  EXPECT_TRUE(help.out.contains("exit status"));
  const CtlRun serialOnly = RunCtl(Args({"--port", "ttyS0", "frequency", "get"}), {});
  EXPECT_EQ(serialOnly.exitCode, 2);
  EXPECT_TRUE(serialOnly.out.contains("USB"));
  const CtlRun rule = RunCtl(Args({"udev-rule"}), {});
  EXPECT_TRUE(rule.out.contains("0483") && rule.out.contains("uaccess"));
}

TEST(CtlUsb, InterruptedReadBackKeepsTheEarlierFile) {
  QTemporaryDir dir;
  ASSERT_TRUE(WriteFile(dir.filePath("device.bin"), Pattern(54 * 400, 5)));
  SimProcess sim(Args({"--backup", qPrintable(dir.filePath("device.bin")), "--rate-us", "10000"}));  // 4 s
  ASSERT_TRUE(sim.Ready());
  const QByteArray earlier = Pattern(10, 1);
  const QString path = dir.filePath("keep.bin");
  ASSERT_TRUE(WriteFile(path, earlier));
  QProcess ctl;
  test::StartCtl(ctl, Args({"--lang", "en", "--json", "backup", "read", qPrintable(path)}), sim.SocketPath());
  QString seen;  // the first progress line: the backup is streaming in
  ASSERT_TRUE(test::WaitForError(ctl, "data packages, currently", 10'000, &seen)) << seen.toStdString();
  ::kill(static_cast<pid_t>(ctl.processId()), SIGINT);
  ASSERT_TRUE(ctl.waitForFinished(5000));
  EXPECT_EQ(ctl.exitCode(), 130);
  EXPECT_EQ(ReadFile(path), earlier);
  EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files).size(), 2);  // no temporary file left beside it
  const QJsonObject o = QJsonDocument::fromJson(ctl.readAllStandardOutput()).object();
  EXPECT_EQ(o["outcome"].toString(), "interrupted");
  EXPECT_EQ(o["code"].toString(), "interrupted");
}

// Ctrl+C or SIGTERM while a read waits on a silent device (5000 ms for the read-back's first reply,
// the reply window of a short exchange) ends the run within about a tenth of a second, as stopped.
TEST(CtlUsb, ASignalDuringAWaitForTheDeviceStopsAtOnce) {
  QTemporaryDir dir;
  const QString path = dir.filePath("keep.bin");
  const QByteArray earlier = Pattern(10, 1);
  for (int sig : {SIGINT, SIGTERM}) {
    for (const QStringList& op : {QStringList{"backup", "read", path}, QStringList{"version"}}) {
      SimProcess sim(Args({"--drop-replies", "1"}));
      ASSERT_TRUE(sim.Ready());
      ASSERT_TRUE(WriteFile(path, earlier));
      QProcess ctl;
      test::StartCtl(ctl, QStringList{"--lang", "en", "--verbose"} + op, sim.SocketPath());
      // The request's trace: it went out, and the reply it waits for never comes.
      QString seen;
      ASSERT_TRUE(test::WaitForError(ctl, "> 00 55 aa 01", 10'000, &seen)) << seen.toStdString();
      QElapsedTimer stopped;
      stopped.start();
      ::kill(static_cast<pid_t>(ctl.processId()), sig);
      ASSERT_TRUE(ctl.waitForFinished(5000));
      SCOPED_TRACE(op.join(' ').toStdString());
      EXPECT_LT(stopped.elapsed(), 400);  // ~100 ms, with room for a loaded machine
      EXPECT_EQ(ctl.exitCode(), 130);
      EXPECT_EQ(ReadFile(path), earlier);
      EXPECT_TRUE(ctl.readAllStandardOutput().isEmpty());  // no failure message: the user stopped it
    }
  }
}

}  // namespace
}  // namespace quorvin
