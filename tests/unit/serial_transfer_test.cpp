// Firmware upgrade and backup download over the serial line, on the scripted port and a virtual
// clock.

#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>

#include "serial_fixture.h"
#include "support/Files.h"

namespace quorvin::test {
namespace {

const QString kOk = QStringLiteral("box: Receive successful !");
const QString kError = QStringLiteral("box: Return error data !");

class SerialTransfer : public ::testing::Test {
 protected:
  QString MakeFile(const QByteArray& bytes) {
    const QString path = dir.filePath(QStringLiteral("image%1.bin").arg(++files));
    EXPECT_TRUE(WriteFile(path, bytes));
    return path;
  }
  // The device answers once the host has written `packets` packets, with each of `chunks` the given
  // time after the last packet (or after the chunk before it, whichever is later).
  static void AnswerAfter(SerialBench& b, int packets, const std::vector<std::pair<qint64, QByteArray>>& chunks) {
    b.port.responder = [&b, packets, chunks, writes = 0](const QByteArray&) mutable {
      if (++writes != packets) return;
      for (const auto& [delayMs, bytes] : chunks) b.port.QueueBytes(bytes, delayMs);
    };
  }

  QTemporaryDir dir;
  int files = 0;
};

TEST_F(SerialTransfer, ThreeHundredBytesGoAsThreePacketsWithTheirPausesThenAccepted) {
  const QByteArray image = Pattern(300);
  SerialBench b;
  b.AnswerWrite(3, Bytes({0x55, 0xAA, 0x02, 0x61, 0x01, 0x5A, 0x41}));
  const qint64 start = b.clock.NowMs();
  const OpResult r = Upgrade(b.env, MakeFile(image));
  ASSERT_EQ(b.port.writes.size(), 3u);
  QByteArray data;
  const int sizes[] = {138, 138, 54};
  const int lengths[] = {0x84, 0x84, 0x30};
  for (int k = 1; k <= 3; ++k) {
    const QByteArray f = b.Frame(k - 1);
    ASSERT_EQ(f.size(), sizes[k - 1]) << "packet " << k;
    EXPECT_EQ(f.left(4), Bytes({0x55, 0xAA, 0x01, 0x61}));
    EXPECT_EQ(static_cast<std::uint8_t>(f[4]), lengths[k - 1]);
    EXPECT_EQ(f.mid(5, 4), Bytes({0x00, 0x03, 0x00, k}));
    EXPECT_EQ(f, DeviceFrame(0x01, 0x61, f.mid(5, f.size() - 6))) << "checksum of packet " << k;
    data += f.mid(9, f.size() - 10);
    // A 20 ms pause comes before every packet, the first included.
    EXPECT_GE(b.WrittenAt(k - 1) - (k == 1 ? start : b.WrittenAt(k - 2)), kSerialPacketPauseMs) << "packet " << k;
  }
  EXPECT_EQ(data, image);
  EXPECT_EQ(r.outcome, Outcome::Success);
  EXPECT_EQ(r.bytes, 300);
  // The upgrade lets the device settle 200 ms before it listens for the answer.
  EXPECT_GE(b.clock.NowMs() - b.WrittenAt(2), kSerialUpgradeSettleMs);
  EXPECT_EQ(
      b.fb.log,
      QStringList({"progress: show", "progress: range 3",
                   "progress: text Update program ,In total 3 data packages, currently 1 data package sending.......",
                   "progress: pos 1",
                   "progress: text Update program ,In total 3 data packages, currently 2 data package sending.......",
                   "progress: pos 2",
                   "progress: text Update program ,In total 3 data packages, currently 3 data package sending.......",
                   "progress: close", kOk}));
  b.ExpectClean();
}

TEST_F(SerialTransfer, ThreeByteFileFramesAndTheStatusDecidesWhateverTheHeader) {
  {  // Upgrade, refused.
    SerialBench b;
    b.AnswerWrite(1, Bytes({0x55, 0xAA, 0x02, 0x61, 0x01, 0xA5, 0xF6}));
    EXPECT_EQ(Upgrade(b.env, MakeFile(Bytes({1, 2, 3}))).outcome, Outcome::Failed);
    EXPECT_EQ(b.port.written, Bytes({0x55, 0xAA, 0x01, 0x61, 0x07, 0x00, 0x01, 0x00, 0x01, 1, 2, 3, 0x8E}));
    EXPECT_EQ(b.fb.log.last(), kError);
    b.ExpectClean();
  }
  {  // Backup download, accepted by a reply with another direction and command but a good checksum.
    SerialBench b(false);
    b.AnswerWrite(1, Bytes({0x55, 0xAA, 0x01, 0xC2, 0x01, 0x5A, 0xE1}));
    EXPECT_EQ(DownloadBackup(b.env, MakeFile(Bytes({1, 2, 3}))).outcome, Outcome::Success);
    EXPECT_EQ(b.port.written, Bytes({0x55, 0xAA, 0x01, 0xC4, 0x07, 0x00, 0x01, 0x00, 0x01, 1, 2, 3, 0x2B}));
    EXPECT_TRUE(
        b.fb.log.contains(QString::fromUtf8("progress: text 下载备份数据,共有1包数据,当前第1包数据正在发送...")));
    EXPECT_EQ(b.fb.log.last(), QString::fromUtf8("box: 接收成功！"));
  }
}

TEST_F(SerialTransfer, ExactMultipleOfThePacketSizeGivesFullPacketsOnly) {
  const QByteArray image = Pattern(256);
  SerialBench b;
  b.AnswerWrite(2, DeviceFrame(0xC4, Bytes({0x5A})));
  EXPECT_EQ(DownloadBackup(b.env, MakeFile(image)).outcome, Outcome::Success);
  ASSERT_EQ(b.port.writes.size(), 2u);
  const QByteArray first = b.Frame(0);
  const QByteArray second = b.Frame(1);
  ASSERT_EQ(first.size(), 138);
  ASSERT_EQ(second.size(), 138);
  EXPECT_EQ(first.mid(3, 6), Bytes({0xC4, 0x84, 0x00, 0x02, 0x00, 0x01}));
  EXPECT_EQ(second.mid(3, 6), Bytes({0xC4, 0x84, 0x00, 0x02, 0x00, 0x02}));
  EXPECT_EQ(first.mid(9, 128) + second.mid(9, 128), image);
}

TEST_F(SerialTransfer, BadOrShortClosingRepliesAreErrors) {
  const QByteArray replies[] = {
      Bytes({0x55, 0xAA, 0x02, 0x61, 0x01, 0x5A, 0x42}),    // checksum off by one
      DeviceFrame(0x02, 0x61, QByteArray()),                // no status byte at all
      Sealed(Bytes({0x55, 0xAA, 0x02, 0x61, 0x09, 0x5A})),  // length past the bytes that came
  };
  for (const QByteArray& reply : replies) {
    SerialBench b;
    b.AnswerWrite(1, reply, 40);
    EXPECT_EQ(DownloadBackup(b.env, MakeFile(Bytes({9}))).outcome, Outcome::Failed) << reply.toHex().constData();
    EXPECT_EQ(b.port.written.size(), 11);
    EXPECT_EQ(b.fb.log.last(), kError);
    b.ExpectClean();
  }
}

TEST_F(SerialTransfer, QuietEndsShowNoBoxButCloseTheProgressWindowAndThePort) {
  {  // Status 0x66.
    SerialBench b;
    b.AnswerWrite(2, DeviceFrame(0x61, Bytes({0x66})));
    EXPECT_EQ(Upgrade(b.env, MakeFile(Pattern(200))).outcome, Outcome::QuietEnd);
    EXPECT_TRUE(b.fb.Boxes().isEmpty());
    EXPECT_EQ(b.fb.log.mid(b.fb.log.size() - 2), QStringList({"progress: pos 2", "progress: close"}));
    b.ExpectClean();
  }
  {  // Another status, then silence until the 3000 ms window ends.
    SerialBench b;
    b.AnswerWrite(1, DeviceFrame(0xC4, Bytes({0x33})));
    EXPECT_EQ(DownloadBackup(b.env, MakeFile(Pattern(10))).outcome, Outcome::QuietEnd);
    const qint64 waited = b.clock.NowMs() - b.WrittenAt(0);
    EXPECT_GE(waited, kSerialClosingWindowMs);
    EXPECT_LE(waited, kSerialClosingWindowMs + kSerialIdleWaitMs);
    EXPECT_TRUE(b.fb.Boxes().isEmpty());
    EXPECT_EQ(b.fb.log.mid(b.fb.log.size() - 2), QStringList({"progress: pos 1", "progress: close"}));
    b.ExpectClean();
  }
}

TEST_F(SerialTransfer, UnknownStatusIsExtendedByTheBytesThatFollow) {
  // The first reply is kept; the next one, after a silence, joins it, and the joined run has no
  // valid checksum.
  SerialBench b;
  AnswerAfter(b, 1,
              {{0, DeviceFrame(0xC4, Bytes({0x33}))}, {kSerialSilenceMs + 100, DeviceFrame(0xC4, Bytes({0x5A}))}});
  EXPECT_EQ(DownloadBackup(b.env, MakeFile(Pattern(10))).outcome, Outcome::Failed);
  EXPECT_EQ(b.fb.log.last(), kError);
}

TEST_F(SerialTransfer, NoAnswerIsAnErrorOnceTheWindowHasPassed) {
  SerialBench b;
  EXPECT_EQ(DownloadBackup(b.env, MakeFile(Pattern(5))).outcome, Outcome::Failed);
  const qint64 waited = b.clock.NowMs() - b.WrittenAt(0);
  EXPECT_GE(waited, kSerialClosingWindowMs);
  EXPECT_LE(waited, kSerialClosingWindowMs + kSerialIdleWaitMs);
  EXPECT_EQ(b.fb.log.last(), kError);
  b.ExpectClean();

  // An answer just inside the window is taken.
  SerialBench late;
  late.AnswerWrite(1, DeviceFrame(0xC4, Bytes({0x5A})), kSerialClosingWindowMs - 1);
  EXPECT_EQ(DownloadBackup(late.env, MakeFile(Pattern(5))).outcome, Outcome::Success);
}

TEST_F(SerialTransfer, RepliesSplitByAdapterLatencyStayOneReply) {
  // A USB adapter can hand over a reply in bursts up to its 16 ms latency timer apart.
  SerialBench b;
  const QByteArray reply = DeviceFrame(0xC4, Bytes({0x5A}));
  AnswerAfter(b, 1, {{0, reply.left(3)}, {18, reply.mid(3, 2)}, {36, reply.mid(5)}});
  EXPECT_EQ(DownloadBackup(b.env, MakeFile(Pattern(5))).outcome, Outcome::Success);
}

TEST_F(SerialTransfer, FilesThatCannotBeSentAreRefusedBeforeAnythingGoesOut) {
  QFile big(dir.filePath(QStringLiteral("big.bin")));
  ASSERT_TRUE(big.open(QIODevice::WriteOnly));
  ASSERT_TRUE(big.resize(kMaxSerialImage + 1));  // one byte past 65,535 packets
  big.close();
  const QString missing = dir.filePath(QStringLiteral("missing.bin"));
  const struct {
    QString path;
    QString box;  // the whole box, or the part before the system's reason
  } cases[] = {
      {big.fileName(), "box: The file " + big.fileName() + " is too large: at most 8388480 bytes can be sent."},
      {MakeFile(QByteArray()), "box: The file is empty !"},
      {missing, "box: Cannot open the file " + missing + ".\n"},
  };
  for (const auto& c : cases) {
    SerialBench b;
    EXPECT_EQ(Upgrade(b.env, c.path).outcome, Outcome::FileError);
    ASSERT_EQ(b.fb.log.size(), 1) << c.path.toStdString();
    if (c.box.endsWith('\n')) {  // the system says why, after the path
      EXPECT_TRUE(b.fb.log[0].startsWith(c.box)) << b.fb.log[0].toStdString();
      EXPECT_GT(b.fb.log[0].size(), c.box.size());
    } else {
      EXPECT_EQ(b.fb.log[0], c.box);
    }
    EXPECT_TRUE(b.port.written.isEmpty());
    b.ExpectClean();
  }
}

TEST_F(SerialTransfer, CancelStopsBetweenPacketsAndClosesEverything) {
  SerialBench b;
  b.port.responder = [&b](const QByteArray&) { b.fb.cancel = true; };  // pressed as the first packet goes
  const OpResult r = Upgrade(b.env, MakeFile(Pattern(128 * 50)));
  EXPECT_EQ(r.outcome, Outcome::Interrupted);
  // No packet after the one under way, and what went out is told, as over USB.
  EXPECT_EQ(b.port.writes.size(), 1u);
  EXPECT_EQ(r.bytes, 128);
  EXPECT_TRUE(b.fb.Boxes().isEmpty());
  EXPECT_EQ(b.fb.log.last(), "progress: close");
  b.ExpectClean();
}

// The port raising mid-wait (the adapter pulled, the line hung up) ends the wait at once with the
// system's text in the user's language, never the device's "error data".
TEST_F(SerialTransfer, ALineThatHangsUpShowsTheSystemTextAndEndsClean) {
  for (const bool english : {true, false}) {
    SerialBench b(english);
    b.port.responder = [&b](const QByteArray&) { b.port.failReadsAtMs = b.clock.NowMs() + 100; };
    const OpResult r = DownloadBackup(b.env, MakeFile(Pattern(5)));
    EXPECT_EQ(r.outcome, Outcome::Failed);
    EXPECT_EQ(r.fault, Fault::PortFailure);
    EXPECT_EQ(r.bytes, 5);
    EXPECT_EQ(b.clock.NowMs() - b.WrittenAt(0), 100);  // not the 3000 ms window
    ASSERT_EQ(b.fb.Boxes().size(), 1);
    if (english) {
      EXPECT_EQ(b.fb.Boxes()[0], "box: The serial port is no longer available (device removed or line hung up)");
    } else {
      EXPECT_TRUE(b.fb.Boxes()[0].contains(QString::fromUtf8("串口已不可用"))) << b.fb.Boxes()[0].toStdString();
    }
    EXPECT_EQ(b.fb.log.at(b.fb.log.size() - 2), "progress: close");
    b.ExpectClean();
  }
}

}  // namespace
}  // namespace quorvin::test
