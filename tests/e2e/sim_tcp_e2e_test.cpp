// quorvinctl and a separately started quorvin-sim over the TCP form of the virtual HID link, as
// the Windows build will be driven: a free port picked by the sim and read off its ready line.

#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <QTemporaryDir>

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

TEST(SimTcpE2e, QuorvinctlRunsOperationsOverTcp) {
  QTemporaryDir dir;
  const QByteArray device = Pattern(54 * 200, 5);
  ASSERT_TRUE(test::WriteFile(dir.filePath("device.bin"), device));
  // The read-back's 200 reports go out back to back: TCP cuts and joins them as it likes.
  SimProcess sim(SimProcess::OverTcp{}, {"--backup", dir.filePath("device.bin"), "--rate-us", "0"});
  ASSERT_TRUE(sim.Ready()) << sim.Output().toStdString();
  ASSERT_TRUE(sim.SocketPath().startsWith(QLatin1String("tcp:127.0.0.1:"))) << sim.SocketPath().toStdString();

  // Each run is a new client of the same sim.
  CtlRun r = RunCtl({"--lang", "en", "version"}, sim.SocketPath());
  EXPECT_EQ(r.exitCode, 0) << r.out.toStdString() << r.err.toStdString();
  EXPECT_TRUE(r.out.contains(QLatin1String("V1.0"))) << r.out.toStdString();
  EXPECT_EQ(RunCtl({"frequency", "set", "433920000"}, sim.SocketPath()).exitCode, 0);
  r = RunCtl({"frequency", "get"}, sim.SocketPath());
  EXPECT_EQ(r.OutLines(), QStringList{"433920000"});
  const QString out = dir.filePath("backup.bin");
  r = RunCtl({"--lang", "en", "backup", "read", out}, sim.SocketPath());
  EXPECT_EQ(r.exitCode, 0) << r.out.toStdString();
  EXPECT_EQ(ReadFile(out), device);
}

TEST(SimTcpE2e, ASimKilledMidReadBackIsTheDeviceGoneNotAHang) {
  QTemporaryDir dir;
  ASSERT_TRUE(test::WriteFile(dir.filePath("device.bin"), Pattern(54 * 2000, 7)));  // 2000 packets, 4 s
  const QString out = dir.filePath("backup.bin");
  ASSERT_TRUE(test::WriteFile(out, "an earlier backup"));
  SimProcess sim(SimProcess::OverTcp{}, {"--backup", dir.filePath("device.bin"), "--rate-us", "2000"});
  ASSERT_TRUE(sim.Ready());
  QProcess ctl;
  test::StartCtl(ctl, {"--lang", "en", "backup", "read", out}, sim.SocketPath());
  QString seen;  // the first progress line: the backup is streaming in
  ASSERT_TRUE(test::WaitForError(ctl, "data packages, currently", 10'000, &seen)) << seen.toStdString();
  sim.Process().kill();  // no clean-up: the kernel closes its end
  ASSERT_TRUE(sim.Process().waitForFinished(5000));

  QElapsedTimer timer;
  timer.start();
  ASSERT_TRUE(ctl.waitForFinished(5000)) << "quorvinctl still waits on a dead device";
  EXPECT_LE(timer.elapsed(), 2500);
  EXPECT_EQ(ctl.exitStatus(), QProcess::NormalExit);
  EXPECT_EQ(ctl.exitCode(), 1) << ctl.readAllStandardOutput().toStdString();
  EXPECT_EQ(ReadFile(out), "an earlier backup");
  // Nobody listens there now: no device.
  EXPECT_EQ(RunCtl({"--json", "version"}, sim.SocketPath()).exitCode, 3);
}

TEST(SimTcpE2e, AnUnusableTcpFormIsAUsageErrorNotACrash) {
  for (const char* bad : {"tcp:127.0.0.1:http", "tcp:127.0.0.1:70000", "tcp:127.0.0.1", "tcp:10.1.2.3:5000"}) {
    const CtlRun r = RunCtl({"--lang", "en", "version"}, QString::fromLatin1(bad));
    EXPECT_EQ(r.exitCode, 2) << bad;  // a crash reads as -1
    EXPECT_TRUE(r.err.contains(QLatin1String("QUORVIN_HID_SOCKET"))) << bad << ": " << r.err.toStdString();
  }
  const CtlRun json = RunCtl({"--json", "devices"}, QStringLiteral("tcp:127.0.0.1:-1"));
  EXPECT_EQ(json.exitCode, 2);
  EXPECT_TRUE(json.out.contains(QLatin1String("\"code\":\"usage-error\""))) << json.out.toStdString();
}

}  // namespace
}  // namespace quorvin
