// Version read over a real pseudo-terminal.

#include <gtest/gtest.h>

#include "serial_pty.h"

namespace quorvin::test {
namespace {

void StartVersion(SerialRun& run) {
  run.Start([](Channel& env) { return ReadVersion(env); });
}

TEST(SerialVersion, ReplyTextFollowsThePrefixAndIsShownBeforeTheProgressCloses) {
  SerialRun run;
  StartVersion(run);
  EXPECT_EQ(run.device.ReadExactly(6, 2000), Bytes({0x55, 0xAA, 0x01, 0xC2, 0x00, 0x3C}));
  run.device.Write(Bytes({0x55, 0xAA, 0x02, 0xC2, 0x04, 0x56, 0x31, 0x2E, 0x30, 0x52}));
  const OpResult r = run.Finish();
  EXPECT_EQ(r.outcome, Outcome::Success);
  EXPECT_EQ(r.version, "V1.0");
  const QStringList& log = run.fb.log;
  ASSERT_GE(log.size(), 4);
  EXPECT_EQ(log.mid(0, 3), QStringList({"progress: show", "progress: range 10000",
                                        "progress: text Reading version , please waiting ..."}));
  EXPECT_EQ(log.mid(log.size() - 2), QStringList({"box: Version :V1.0", "progress: close"}));
  EXPECT_FALSE(run.portOpenAfter);
}

TEST(SerialVersion, ChineseTextsAndAZeroByteEndsTheVersion) {
  SerialRun run(false);
  StartVersion(run);
  run.device.ReadExactly(6, 2000);
  run.device.Write(DeviceFrame(0x02, 0xC2, Bytes({0x56, 0x00, 0x2E, 0x30})));
  EXPECT_EQ(run.Finish().version, "V");
  EXPECT_TRUE(run.fb.log.contains(QString::fromUtf8("progress: text 正在读取版本号，请耐心等待.......")));
  EXPECT_TRUE(run.fb.log.contains(QString::fromUtf8("box: 当前版本号:V")));
}

TEST(SerialVersion, BadRepliesAndSilenceFail) {
  const QByteArray bad[] = {
      Bytes({0x55, 0xAA, 0x02, 0xC2, 0x04, 0x56, 0x31, 0x2E, 0x30, 0x53}),  // checksum off by one
      Sealed(Bytes({0x55, 0xAA, 0x02, 0xC2, 0x09, 0x56, 0x31})),            // length past the end
      Bytes({0x3C}),                                                        // one stray byte
  };
  for (const QByteArray& reply : bad) {
    SerialRun run;
    StartVersion(run);
    run.device.ReadExactly(6, 2000);
    run.device.Write(reply);
    EXPECT_EQ(run.Finish().outcome, Outcome::Failed) << reply.toHex().constData();
    EXPECT_EQ(run.fb.log.mid(run.fb.log.size() - 2), QStringList({"progress: close", "box: Reading version failed !"}));
  }
  SerialRun silent;
  StartVersion(silent);
  EXPECT_EQ(silent.Finish().outcome, Outcome::Failed);
  EXPECT_GE(silent.ElapsedMs(), 2000);
  EXPECT_LT(silent.ElapsedMs(), 2600);
  EXPECT_EQ(silent.fb.log.last(), "box: Reading version failed !");
  EXPECT_TRUE(silent.fb.log.contains("progress: pos 1"));
  EXPECT_FALSE(silent.portOpenAfter);
}

}  // namespace
}  // namespace quorvin::test
