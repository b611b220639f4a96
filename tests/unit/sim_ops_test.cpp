// The tool's USB operations against the in-process repeater on a virtual clock: the engine's
// packets and pauses must satisfy the device's checks, what goes in must come back out, and the
// device's faults must end in the failures the user is meant to see.

#include <gtest/gtest.h>

#include <QTemporaryDir>

#include "ops/Operations.h"
#include "sim/InProcessBackend.h"
#include "support/Files.h"
#include "support/Languages.h"
#include "support/RecordingFeedback.h"

namespace quorvin {
namespace {

using test::Pattern;
using test::ReadFile;
using test::WriteFile;

class SimOps : public ::testing::Test {
 protected:
  VirtualClock clock{5000};
  InProcessBackend backend{clock};
  test::RecordingFeedback fb;
  HidLink link{backend, fb, clock};
  UsbChannel env{link, fb, clock, test::TestLanguage(true)};
  QTemporaryDir dir;

  QString Path(const char* name) const { return dir.filePath(QString::fromLatin1(name)); }
  bool LogHas(const QString& line) const { return fb.log.contains(line); }
};

TEST_F(SimOps, FirmwareUpgradeIsTakenWithTheEnginesPauses) {
  const QByteArray image = Pattern(65'536);  // 1,261 packets of 52 bytes
  ASSERT_TRUE(WriteFile(Path("fw.bin"), image));
  const qint64 start = clock.NowMs();
  EXPECT_TRUE(Upgrade(env, Path("fw.bin")).Ok());
  EXPECT_EQ(fb.Boxes(), QStringList{QStringLiteral("box: Update successfully")});
  EXPECT_EQ(backend.WithModel([](DeviceModel& m) { return m.FirmwareImage(); }), image);
  EXPECT_GE(clock.NowMs() - start, 4000 + 1260 * 50);
}

TEST_F(SimOps, DownloadedBackupReadsBackByteForByte) {
  const QByteArray backup = Pattern(54 * 20 + 7);
  ASSERT_TRUE(WriteFile(Path("in.bin"), backup));
  ASSERT_TRUE(DownloadBackup(env, Path("in.bin")).Ok());
  ASSERT_TRUE(ReadBackup(env, Path("out.bin")).Ok());
  EXPECT_EQ(ReadFile(Path("out.bin")), backup);
  EXPECT_EQ(fb.Boxes(), (QStringList{QStringLiteral("box: Download successfully !"),
                                     QStringLiteral("box: Read backup data successfully !")}));
}

TEST_F(SimOps, ReadsBackThreeMillionBytesAtOneReportPerMillisecond) {
  const QByteArray backup = Pattern(3'000'000);
  ASSERT_TRUE(backend.WithModel([&](DeviceModel& m) { return m.SetBackupData(backup); }));
  const qint64 start = clock.NowMs();
  ASSERT_TRUE(ReadBackup(env, Path("big.bin")).Ok());
  EXPECT_EQ(ReadFile(Path("big.bin")), backup);
  EXPECT_TRUE(LogHas(QStringLiteral("progress: range 55556")));
  // 55,555 intervals of 1 ms after the first packet, plus the completion line's second.
  EXPECT_EQ(clock.NowMs() - start, 55'555 + 1000);
}

TEST_F(SimOps, DeviceFaultsEndInTheNamedFailures) {
  ASSERT_TRUE(WriteFile(Path("fw.bin"), Pattern(104)));
  backend.WithModel([](DeviceModel& m) { m.Faults().refuse = FaultCount::Times(1); });
  EXPECT_FALSE(Upgrade(env, Path("fw.bin")).Ok());
  EXPECT_TRUE(LogHas(QStringLiteral("progress: text  Update program  sending failure !")));
  EXPECT_EQ(fb.Boxes().last(), QStringLiteral("box: Update failed"));

  ASSERT_TRUE(WriteFile(Path("old.bin"), "earlier"));
  backend.WithModel([](DeviceModel& m) {
    m.Faults().stopReadBackAfter = 2;
    return m.SetBackupData(Pattern(54 * 4));
  });
  EXPECT_FALSE(ReadBackup(env, Path("old.bin")).Ok());
  EXPECT_TRUE(LogHas(QStringLiteral("progress: text Read backup data read failure")));
  EXPECT_EQ(fb.Boxes().last(), QStringLiteral("box: Read backup data failed !"));
  EXPECT_EQ(ReadFile(Path("old.bin")), QByteArray("earlier"));

  backend.WithModel([](DeviceModel& m) {
    m.Faults().stopReadBackAfter = -1;
    m.Faults().corruptChecksum = FaultCount::Times(1);
  });
  EXPECT_FALSE(ReadBackup(env, Path("old.bin")).Ok());
  EXPECT_TRUE(fb.Boxes().contains(
      QStringLiteral("box: Receiving data is not correct, please check whether the host is normal work !")));

  backend.WithModel([](DeviceModel& m) { m.Faults().strayReply = FaultCount::Times(1); });
  EXPECT_FALSE(ReadBackup(env, Path("old.bin")).Ok());  // first reply is not a read-back packet
  EXPECT_EQ(ReadFile(Path("old.bin")), QByteArray("earlier"));
}

}  // namespace
}  // namespace quorvin
