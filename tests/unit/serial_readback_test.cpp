// Backup read-back over the serial line, on the scripted port and a virtual clock.

#include <gtest/gtest.h>

#include <QDir>
#include <QTemporaryDir>

#include "serial_fixture.h"
#include "support/Files.h"

namespace quorvin::test {
namespace {

const QString kError = QStringLiteral("box: Return error data !");
const QByteArray kEarlier("an earlier backup");

class SerialReadBack : public ::testing::Test {
 protected:
  void SetUp() override {
    path = dir.filePath(QStringLiteral("upload.bin"));
    ASSERT_TRUE(WriteFile(path, kEarlier));
  }
  // Runs the read-back on `b`, the device sending each of `chunks` the given time after the
  // request (or after the chunk before it, whichever is later).
  OpResult Run(SerialBench& b, const std::vector<std::pair<qint64, QByteArray>>& chunks) {
    b.port.responder = [&b, chunks](const QByteArray&) {
      for (const auto& [delayMs, bytes] : chunks) b.port.QueueBytes(bytes, delayMs);
    };
    const OpResult r = ReadBackup(b.env, path);
    EXPECT_EQ(b.Frame(0), Bytes({0x55, 0xAA, 0x01, 0xC5, 0x00, 0x39}));
    EXPECT_EQ(b.port.writes.size(), 1u);
    b.ExpectClean();
    return r;
  }
  static QByteArray Data(int size, int seed) {
    QByteArray d;
    for (int i = 0; i < size; ++i) d.append(static_cast<char>(seed + i));
    return d;
  }

  QTemporaryDir dir;
  QString path;
};

TEST_F(SerialReadBack, TwoPacketsSentBackToBackLeaveBothDataPartsInOrder) {
  SerialBench b;
  const QByteArray first = Data(128, 1);
  const QByteArray second = Data(40, 200);
  // A full frame ends its chunk by itself, even with the next one right behind it.
  const OpResult r = Run(b, {{0, ReadBackPacket(2, 1, first) + ReadBackPacket(2, 2, second)}});
  EXPECT_EQ(r.outcome, Outcome::Success);
  EXPECT_EQ(r.bytes, 168);
  EXPECT_EQ(ReadFile(path), first + second);
  EXPECT_EQ(
      b.fb.log,
      QStringList({"progress: show", "progress: range 2",
                   "progress: text Read backup data ,In total 2 data packages, currently 1 data package sending ...",
                   "progress: text Read backup data ,In total 2 data packages, currently 2 data package sending ...",
                   "progress: close", "box: Read backup data successful !"}));
}

TEST_F(SerialReadBack, ShortPacketsEndOnSilenceAndChineseTexts) {
  SerialBench b(false);
  // Just past the silence that ends a reply: two packets, not one run of bytes.
  EXPECT_EQ(Run(b, {{0, ReadBackPacket(2, 1, Data(10, 1))}, {kSerialSilenceMs + 1, ReadBackPacket(2, 2, Data(5, 50))}})
                .outcome,
            Outcome::Success);
  EXPECT_EQ(ReadFile(path), Data(10, 1) + Data(5, 50));
  EXPECT_TRUE(b.fb.log.contains(QString::fromUtf8("progress: text 回读备份数据,共有2包数据,当前第1包数据正在发送...")));
  EXPECT_EQ(b.fb.log.last(), QString::fromUtf8("box: 回读数据成功！"));
}

TEST_F(SerialReadBack, AForeignChunkIsKeptAndCheckedTogetherWithWhatFollows) {
  // Were the foreign reply dropped, the packet behind it would complete the read-back.
  SerialBench b;
  EXPECT_EQ(
      Run(b, {{0, DeviceFrame(0xC2, QByteArray("V1.0"))}, {kSerialSilenceMs + 100, ReadBackPacket(1, 1, Data(8, 3))}})
          .outcome,
      Outcome::Failed);
  EXPECT_EQ(b.fb.log, QStringList({kError}));
  EXPECT_EQ(ReadFile(path), kEarlier);
}

TEST_F(SerialReadBack, MissingPacketsOrNoReadBackFrameFailAndKeepTheEarlierFile) {
  {  // The device stops after the first of three packets: the wait for the next is 3000 ms.
    SerialBench b;
    const OpResult r = Run(b, {{0, ReadBackPacket(3, 1, Data(128, 1))}});
    EXPECT_EQ(r.outcome, Outcome::Failed);
    EXPECT_EQ(r.fault, Fault::PacketMissing);
    const qint64 waited = b.clock.NowMs() - b.WrittenAt(0);
    EXPECT_GE(waited, kSerialReadBackWindowMs);
    EXPECT_LE(waited, kSerialReadBackWindowMs + kSerialIdleWaitMs);
    EXPECT_EQ(b.fb.log.mid(b.fb.log.size() - 2), QStringList({"progress: close", kError}));
    EXPECT_EQ(ReadFile(path), kEarlier);
  }
  {  // Only a reply of another command, then silence.
    SerialBench b;
    EXPECT_EQ(Run(b, {{0, DeviceFrame(0xC2, QByteArray("V1.0"))}}).outcome, Outcome::Failed);
    EXPECT_EQ(b.fb.log, QStringList({kError}));
    EXPECT_EQ(ReadFile(path), kEarlier);
  }
  {  // A packet that comes just inside the 3000 ms wait is taken, and replaces the earlier file.
    SerialBench b;
    EXPECT_EQ(
        Run(b, {{0, ReadBackPacket(2, 1, Data(128, 1))}, {kSerialReadBackWindowMs - 1, ReadBackPacket(2, 2, "x")}})
            .outcome,
        Outcome::Success);
    EXPECT_EQ(ReadFile(path), Data(128, 1) + "x");
  }
}

// Packets out of sequence would put a wrong file in place of the backup: each fails the read-back.
TEST_F(SerialReadBack, PacketsOutOfSequenceFailAndKeepTheEarlierFile) {
  const std::vector<std::vector<QByteArray>> runs = {
      {ReadBackPacket(3, 1, Data(128, 1)), ReadBackPacket(3, 3, Data(16, 3))},   // packet 2 missing
      {ReadBackPacket(2, 1, Data(128, 1)), ReadBackPacket(2, 1, Data(128, 1))},  // a repeat
      {ReadBackPacket(2, 2, Data(16, 2))},                                       // no packet 1
      {ReadBackPacket(2, 1, Data(128, 1)), ReadBackPacket(3, 2, Data(128, 2))},  // the count changed
  };
  for (const auto& packets : runs) {
    SerialBench b;
    QByteArray bytes;
    for (const QByteArray& p : packets) bytes += p;
    EXPECT_EQ(Run(b, {{0, bytes}}).outcome, Outcome::Failed) << bytes.toHex().constData();
    EXPECT_EQ(b.fb.log.last(), kError);
    EXPECT_EQ(ReadFile(path), kEarlier);
  }
}

TEST_F(SerialReadBack, BadChunksFailWithoutTouchingTheFile) {
  const QByteArray bad[] = {
      ReadBackPacket(1, 1, Data(4, 1)).replace(9, 1, "\x7f"),                    // checksum broken
      DeviceFrame(0x02, 0xC5, Bytes({0x00, 0x01, 0x00})),                        // length below 4
      Sealed(Bytes({0x55, 0xAA, 0x02, 0xC5, 0x40, 0x00, 0x01, 0x00, 0x01, 7})),  // length past the end
      ReadBackPacket(0, 0, Data(4, 1)),                                          // a count of 0 with data
  };
  for (const QByteArray& chunk : bad) {
    SerialBench b;
    EXPECT_EQ(Run(b, {{0, chunk}}).outcome, Outcome::Failed) << chunk.toHex().constData();
    EXPECT_EQ(b.fb.log.last(), kError);
    EXPECT_EQ(ReadFile(path), kEarlier);
  }
}

TEST_F(SerialReadBack, AFileThatCannotBeWrittenStopsBeforeTheRequest) {
  SerialBench b;
  const QString nowhere = dir.filePath(QStringLiteral("no/such/dir/upload.bin"));
  EXPECT_EQ(ReadBackup(b.env, nowhere).outcome, Outcome::FileError);
  ASSERT_EQ(b.fb.log.size(), 1);
  EXPECT_TRUE(b.fb.log[0].startsWith("box: Cannot write the file " + nowhere + ".\n"));
  EXPECT_TRUE(b.port.written.isEmpty());
  b.ExpectClean();
}

TEST_F(SerialReadBack, CancelLeavesTheEarlierFile) {
  SerialBench b;
  b.fb.cancelOn = QStringLiteral("currently 1 data package");
  std::vector<std::pair<qint64, QByteArray>> packets;
  for (int k = 1; k <= 5; ++k) packets.emplace_back(10 * k, ReadBackPacket(5, k, Data(128, k)));
  EXPECT_EQ(Run(b, packets).outcome, Outcome::Interrupted);
  EXPECT_EQ(ReadFile(path), kEarlier);
  EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList{"upload.bin"});  // nothing left beside it
  EXPECT_TRUE(b.fb.Boxes().isEmpty());
}

}  // namespace
}  // namespace quorvin::test
