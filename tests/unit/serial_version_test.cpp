// Version read over the serial line, on the scripted port and a virtual clock.

#include <gtest/gtest.h>

#include "serial_fixture.h"

namespace quorvin::test {
namespace {

TEST(SerialVersion, ReplyTextFollowsThePrefixAndIsShownBeforeTheProgressCloses) {
  SerialBench b;
  b.AnswerWrite(1, Bytes({0x55, 0xAA, 0x02, 0xC2, 0x04, 0x56, 0x31, 0x2E, 0x30, 0x52}));
  const OpResult r = ReadVersion(b.env);
  ASSERT_EQ(b.port.writes.size(), 1u);
  EXPECT_EQ(b.Frame(0), Bytes({0x55, 0xAA, 0x01, 0xC2, 0x00, 0x3C}));
  // The port opened by the system's name for the one chosen (\\.\COMn on Windows).
  EXPECT_EQ(b.port.openedAt, ResolveSerialTarget(QStringLiteral("/dev/ttyTEST")).location);
  EXPECT_EQ(b.port.speed, 9600);
  EXPECT_EQ(r.outcome, Outcome::Success);
  EXPECT_EQ(r.version, "V1.0");
  const QStringList& log = b.fb.log;
  ASSERT_GE(log.size(), 4);
  EXPECT_EQ(log.mid(0, 3), QStringList({"progress: show", "progress: range 10000",
                                        "progress: text Reading version , please waiting ..."}));
  EXPECT_EQ(log.mid(log.size() - 2), QStringList({"box: Version :V1.0", "progress: close"}));
  b.ExpectClean();
}

TEST(SerialVersion, ChineseTextsAndAZeroByteEndsTheVersion) {
  SerialBench b(false);
  b.AnswerWrite(1, DeviceFrame(0xC2, Bytes({0x56, 0x00, 0x2E, 0x30})));
  EXPECT_EQ(ReadVersion(b.env).version, "V");
  EXPECT_TRUE(b.fb.log.contains(QString::fromUtf8("progress: text 正在读取版本号，请耐心等待.......")));
  EXPECT_TRUE(b.fb.log.contains(QString::fromUtf8("box: 当前版本号:V")));
}

TEST(SerialVersion, BadRepliesFail) {
  const QByteArray bad[] = {
      Bytes({0x55, 0xAA, 0x02, 0xC2, 0x04, 0x56, 0x31, 0x2E, 0x30, 0x53}),  // checksum off by one
      Sealed(Bytes({0x55, 0xAA, 0x02, 0xC2, 0x09, 0x56, 0x31})),            // length past the end
      Bytes({0x3C}),                                                        // one stray byte
  };
  for (const QByteArray& reply : bad) {
    SerialBench b;
    b.AnswerWrite(1, reply, 30);
    EXPECT_EQ(ReadVersion(b.env).outcome, Outcome::Failed) << reply.toHex().constData();
    EXPECT_EQ(b.fb.log.mid(b.fb.log.size() - 2), QStringList({"progress: close", "box: Reading version failed !"}));
    b.ExpectClean();
  }
}

// The reply window is 2000 ms from the request, and one that comes just inside it is taken.
TEST(SerialVersion, TheReplyWindowIsTwoSeconds) {
  SerialBench silent;
  const OpResult r = ReadVersion(silent.env);
  EXPECT_EQ(r.outcome, Outcome::Failed);
  EXPECT_EQ(r.fault, Fault::NoReply);
  const qint64 waited = silent.clock.NowMs() - silent.WrittenAt(0);
  EXPECT_GE(waited, kSerialVersionWindowMs);
  EXPECT_LE(waited, kSerialVersionWindowMs + kSerialIdleWaitMs);
  EXPECT_EQ(silent.fb.log.last(), "box: Reading version failed !");
  EXPECT_TRUE(silent.fb.log.contains("progress: pos 1"));  // the bar moves while it waits
  silent.ExpectClean();

  SerialBench late;
  late.AnswerWrite(1, DeviceFrame(0xC2, QByteArray("V2.0")), kSerialVersionWindowMs - 1);
  EXPECT_EQ(ReadVersion(late.env).version, "V2.0");
}

}  // namespace
}  // namespace quorvin::test
