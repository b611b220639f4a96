// quorvinctl killed outright (SIGKILL: no handler runs, nothing is cleaned up) at points spread
// over a whole backup read-back: the chosen file is always either the earlier one or the whole
// new backup, never a part of it, and nothing is left beside it.

#include <gtest/gtest.h>

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QThread>
#include <csignal>

#include "CtlProcess.h"
#include "support/Files.h"
#include "support/SimProcess.h"

namespace quorvin {
namespace {

using test::Pattern;
using test::ReadFile;

void WriteFile(const QString& path, const QByteArray& bytes) { ASSERT_TRUE(test::WriteFile(path, bytes)); }

TEST(KillE2e, ReadBackKilledAnywhereLeavesTheEarlierFileOrTheWholeNewOne) {
  QTemporaryDir simDir;
  QTemporaryDir dir;
  const QByteArray device = Pattern(54 * 1500, 11);  // 81,000 bytes in 1,500 packets
  const QByteArray earlier = Pattern(1000, 99);
  WriteFile(simDir.filePath("device.bin"), device);
  test::SimProcess sim({"--backup", simDir.filePath("device.bin"), "--rate-us", "200"});
  ASSERT_TRUE(sim.Ready());
  const QString path = dir.filePath("backup.bin");
  const QStringList args{"--lang", "en", "backup", "read", path};

  // One whole run first: how long a read-back takes on this machine, start to exit.
  WriteFile(path, earlier);
  QElapsedTimer timer;
  timer.start();
  const test::CtlRun whole = test::RunCtl(args, sim.SocketPath());
  const qint64 fullMs = timer.elapsed();
  ASSERT_EQ(whole.exitCode, 0) << whole.out.toStdString() << whole.err.toStdString();
  ASSERT_EQ(ReadFile(path), device);

  // Kill points spread evenly from the start to a little past the normal end, each jittered.
  constexpr int kRuns = 16;
  QRandomGenerator rng(0x5AFE);
  int keptEarlier = 0;
  int gotNew = 0;
  for (int i = 0; i < kRuns; ++i) {
    WriteFile(path, earlier);
    const auto killAtMs = static_cast<unsigned long>(fullMs * 1.15 * (i + rng.generateDouble()) / kRuns);
    QProcess ctl;
    test::StartCtl(ctl, args, sim.SocketPath());
    QThread::msleep(killAtMs);
    ::kill(static_cast<pid_t>(ctl.processId()), SIGKILL);
    ASSERT_TRUE(ctl.waitForFinished(10'000));
    const QByteArray now = ReadFile(path);
    SCOPED_TRACE(testing::Message() << "killed at " << killAtMs << " ms of " << fullMs << ", file of " << now.size()
                                    << " bytes");
    EXPECT_TRUE(now == earlier || now == device);
    keptEarlier += now == earlier ? 1 : 0;
    gotNew += now == device ? 1 : 0;
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{"backup.bin"});
  }
  std::printf("[ kill ] %d runs: earlier file kept %d times, whole new file %d times (a run takes %lld ms)\n", kRuns,
              keptEarlier, gotNew, static_cast<long long>(fullMs));
  // Both ends were reached, so the kills did land before and after the file was replaced.
  EXPECT_GT(keptEarlier, 0);
  EXPECT_GT(gotNew, 0);
}

}  // namespace
}  // namespace quorvin
