// quorvin-sim pulled out mid-transfer, in real time over the virtual HID socket: the tool reports
// the failure no later than 1.5 s after its own wait at that point would end, keeps no descriptor
// of the lost device, and when the device is back on the same socket the next operation finds it.

#include <gtest/gtest.h>
#include <unistd.h>

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <cstring>

#include "CtlProcess.h"
#include "link/Backends.h"
#include "ops/Operations.h"
#include "support/Files.h"
#include "support/Languages.h"
#include "support/RecordingFeedback.h"
#include "support/SimProcess.h"

namespace quorvin {
namespace {

using test::SimProcess;

constexpr qint64 kSlackMs = 1500;

// Sockets this process holds open: the tool's connections to the device (the sim's pipes are not
// counted).
int OpenSockets() {
  int n = 0;
  const QStringList fds =
      QDir(QStringLiteral("/proc/self/fd")).entryList(QDir::NoDotAndDotDot | QDir::AllEntries | QDir::System);
  for (const QString& fd : fds) {
    char target[64] = {};
    const QByteArray link = QByteArrayLiteral("/proc/self/fd/") + fd.toLatin1();
    if (::readlink(link.constData(), target, sizeof target - 1) > 0 && std::strncmp(target, "socket:", 7) == 0) ++n;
  }
  return n;
}

QByteArray Pattern(int n) { return test::Pattern(n, 3); }
using test::ReadFile;

QString WriteFile(const QTemporaryDir& dir, const char* name, const QByteArray& bytes) {
  const QString path = dir.filePath(QString::fromLatin1(name));
  EXPECT_TRUE(test::WriteFile(path, bytes));
  return path;
}

// The tool's side, as the window or quorvinctl sets it up, in this process so its descriptors can
// be counted.
struct Tool {
  explicit Tool(const QString& socket) : backend(MakeSocketBackend(socket)) {}
  RealClock clock;
  std::unique_ptr<HidBackend> backend;
  test::RecordingFeedback fb;
  HidLink link{*backend, fb, clock};
  UsbChannel env{link, fb, clock, test::TestLanguage(true)};
};

// Runs `op` against a sim that vanishes as `faultArgs` say, checks the failure and its timing
// (`waitMs`: the longest the tool's own pauses and time-outs allow from the start), then brings
// the device back on the same socket and reads its version.
template <typename Op>
void UnplugThenReturn(const QStringList& faultArgs, qint64 waitMs, Op op) {
  QTemporaryDir dir;
  const QString socket = dir.filePath(QStringLiteral("hid.sock"));
  const int baseline = OpenSockets();
  {
    Tool tool(socket);
    {
      SimProcess sim(faultArgs, socket);
      ASSERT_TRUE(sim.Ready());
      QElapsedTimer timer;
      timer.start();
      const OpResult r = op(tool.env);
      const qint64 elapsed = timer.elapsed();
      EXPECT_EQ(r.outcome, Outcome::Failed) << tool.fb.log.join('\n').toStdString();
      EXPECT_LE(elapsed, waitMs + kSlackMs);
      EXPECT_FALSE(tool.link.LinkUp());
      EXPECT_TRUE(tool.link.LinkedPath().isEmpty());
      EXPECT_LE(OpenSockets(), baseline + 1);  // at most the dead connection, until the next discovery
      std::printf("[ unplug ] %s: failed after %lld ms (limit %lld)\n", qPrintable(faultArgs.join(' ')),
                  static_cast<long long>(elapsed), static_cast<long long>(waitMs + kSlackMs));
    }
    SimProcess again({}, socket);
    ASSERT_TRUE(again.Ready());
    tool.fb.log.clear();
    const OpResult r = ReadVersion(tool.env);
    EXPECT_TRUE(r.Ok()) << tool.fb.log.join('\n').toStdString();
    EXPECT_EQ(r.version, "V1.0");
    EXPECT_EQ(OpenSockets(), baseline + 1);  // the one live connection
  }
  EXPECT_EQ(OpenSockets(), baseline);
}

TEST(UnplugE2e, UpgradeLosesTheDeviceAfterTheFirstPacket) {
  QTemporaryDir dir;
  const QString image = WriteFile(dir, "fw.bin", Pattern(52 * 2 + 5));
  // The next packet is due after the 4000 ms pause; its write finds the device gone.
  UnplugThenReturn({"--vanish-after", "1"}, 4000, [&](UsbChannel& env) { return Upgrade(env, image); });
}

TEST(UnplugE2e, UpgradeLosesTheDeviceBeforeTheAcknowledgement) {
  QTemporaryDir dir;
  const QString image = WriteFile(dir, "fw.bin", Pattern(52 + 5));
  // Both packets taken, then gone: the acknowledgement's 5000 ms time-out and the failure line bound it.
  UnplugThenReturn({"--vanish-after", "2"}, 4000 + 50 + 5000 + 1000,
                   [&](UsbChannel& env) { return Upgrade(env, image); });
}

TEST(UnplugE2e, DownloadLosesTheDeviceMidway) {
  QTemporaryDir dir;
  const QString image = WriteFile(dir, "backup.bin", Pattern(54 * 4));
  UnplugThenReturn({"--vanish-after", "3"}, 5000 + 50 + 50,
                   [&](UsbChannel& env) { return DownloadBackup(env, image); });
}

TEST(UnplugE2e, ReadBackLosesTheDeviceAtSeveralPoints) {
  QTemporaryDir dir;
  const QString stored = WriteFile(dir, "device.bin", Pattern(54 * 60));
  for (const char* sent : {"1", "9", "59"}) {
    SCOPED_TRACE(sent);
    const QString path = WriteFile(dir, "keep.bin", "an earlier backup");
    // 60 packets a millisecond apart; the missing one is waited for 100 ms, then the failure line.
    UnplugThenReturn({"--backup", stored, "--vanish-after-sent", sent}, 60 + 100 + 1000,
                     [&](UsbChannel& env) { return ReadBackup(env, path); });
    EXPECT_EQ(ReadFile(path), "an earlier backup");
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files).size(), 2);  // nothing left beside it
  }
}

}  // namespace
}  // namespace quorvin
