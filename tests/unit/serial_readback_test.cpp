// Backup read-back over a real pseudo-terminal.

#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>

#include "serial_pty.h"

namespace quorvin::test {
namespace {

const QString kError = QStringLiteral("box: Return error data !");
const QByteArray kEarlier("an earlier backup");

class SerialReadBack : public ::testing::Test {
 protected:
  void SetUp() override {
    path = dir.filePath(QStringLiteral("upload.bin"));
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(kEarlier);
  }
  void Start(SerialRun& run) {
    run.Start([p = path](Channel& env) { return ReadBackup(env, p); });
    EXPECT_EQ(run.device.ReadExactly(6, 2000), Bytes({0x55, 0xAA, 0x01, 0xC5, 0x00, 0x39}));
  }
  QByteArray FileBytes() const {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
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
  SerialRun run;
  Start(run);
  const QByteArray first = Data(128, 1);
  const QByteArray second = Data(40, 200);
  // A full frame ends its chunk by itself, even with the next one right behind it.
  run.device.Write(ReadBackPacket(2, 1, first) + ReadBackPacket(2, 2, second));
  const OpResult r = run.Finish();
  EXPECT_EQ(r.outcome, Outcome::Success);
  EXPECT_EQ(r.bytes, 168);
  EXPECT_EQ(FileBytes(), first + second);
  EXPECT_EQ(
      run.fb.log,
      QStringList({"progress: show", "progress: range 2",
                   "progress: text Read backup data ,In total 2 data packages, currently 1 data package sending ...",
                   "progress: text Read backup data ,In total 2 data packages, currently 2 data package sending ...",
                   "progress: close", "box: Read backup data successful !"}));
  EXPECT_FALSE(run.portOpenAfter);
}

TEST_F(SerialReadBack, ShortPacketsEndOnSilenceAndChineseTexts) {
  SerialRun run(false);
  Start(run);
  run.device.Write(ReadBackPacket(2, 1, Data(10, 1)));
  QThread::msleep(150);
  run.device.Write(ReadBackPacket(2, 2, Data(5, 50)));
  EXPECT_EQ(run.Finish().outcome, Outcome::Success);
  EXPECT_EQ(FileBytes(), Data(10, 1) + Data(5, 50));
  EXPECT_TRUE(
      run.fb.log.contains(QString::fromUtf8("progress: text 回读备份数据,共有2包数据,当前第1包数据正在发送...")));
  EXPECT_EQ(run.fb.log.last(), QString::fromUtf8("box: 回读数据成功！"));
}

TEST_F(SerialReadBack, AForeignChunkIsKeptAndCheckedTogetherWithWhatFollows) {
  // Were the foreign reply dropped, the packet behind it would complete the read-back.
  SerialRun run;
  Start(run);
  run.device.Write(DeviceFrame(0x02, 0xC2, QByteArray("V1.0")));
  QThread::msleep(150);
  run.device.Write(ReadBackPacket(1, 1, Data(8, 3)));
  EXPECT_EQ(run.Finish().outcome, Outcome::Failed);
  EXPECT_EQ(run.fb.log, QStringList({kError}));
  EXPECT_EQ(FileBytes(), kEarlier);
}

TEST_F(SerialReadBack, MissingPacketsOrNoReadBackFrameFailAndKeepTheEarlierFile) {
  {  // The device stops after the first of three packets.
    SerialRun run;
    Start(run);
    run.device.Write(ReadBackPacket(3, 1, Data(128, 1)));
    const OpResult r = run.Finish();
    EXPECT_EQ(r.outcome, Outcome::Failed);
    EXPECT_GE(run.ElapsedMs(), 3000);
    EXPECT_EQ(run.fb.log.mid(run.fb.log.size() - 2), QStringList({"progress: close", kError}));
    EXPECT_EQ(FileBytes(), kEarlier);
    EXPECT_FALSE(run.portOpenAfter);
  }
  {  // Only a reply of another command, then silence.
    SerialRun run;
    Start(run);
    run.device.Write(DeviceFrame(0x02, 0xC2, QByteArray("V1.0")));
    EXPECT_EQ(run.Finish().outcome, Outcome::Failed);
    EXPECT_EQ(run.fb.log, QStringList({kError}));
    EXPECT_EQ(FileBytes(), kEarlier);
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
    SerialRun run;
    Start(run);
    QByteArray bytes;
    for (const QByteArray& p : packets) bytes += p;
    run.device.Write(bytes);
    const OpResult r = run.Finish();
    EXPECT_EQ(r.outcome, Outcome::Failed) << bytes.toHex().constData();
    EXPECT_EQ(run.fb.log.last(), kError);
    EXPECT_EQ(FileBytes(), kEarlier);
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
    SerialRun run;
    Start(run);
    run.device.Write(chunk);
    EXPECT_EQ(run.Finish().outcome, Outcome::Failed) << chunk.toHex().constData();
    EXPECT_EQ(run.fb.log.last(), kError);
    EXPECT_EQ(FileBytes(), kEarlier);
  }
}

TEST_F(SerialReadBack, AFileThatCannotBeWrittenStopsBeforeTheRequest) {
  SerialRun run;
  const QString nowhere = dir.filePath(QStringLiteral("no/such/dir/upload.bin"));
  run.Start([nowhere](Channel& env) { return ReadBackup(env, nowhere); });
  EXPECT_EQ(run.Finish().outcome, Outcome::FileError);
  ASSERT_EQ(run.fb.log.size(), 1);
  EXPECT_TRUE(run.fb.log[0].startsWith("box: Cannot write the file " + nowhere + ".\n"));
  EXPECT_TRUE(run.device.ReadUntilQuiet(20).isEmpty());
  EXPECT_FALSE(run.portOpenAfter);
}

TEST_F(SerialReadBack, CancelLeavesTheEarlierFile) {
  SerialRun run;
  Start(run);
  run.device.Write(ReadBackPacket(5, 1, Data(128, 1)));
  QThread::msleep(100);
  run.fb.cancel = true;
  EXPECT_EQ(run.Finish().outcome, Outcome::Interrupted);
  EXPECT_EQ(FileBytes(), kEarlier);
  EXPECT_TRUE(run.fb.Boxes().isEmpty());
  EXPECT_FALSE(run.portOpenAfter);
}

}  // namespace
}  // namespace quorvin::test
