// Firmware upgrade and backup download over a real pseudo-terminal.

#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>

#include "serial_pty.h"

namespace quorvin::test {
namespace {

const QString kOk = QStringLiteral("box: Receive successful !");
const QString kError = QStringLiteral("box: Return error data !");

class SerialTransfer : public ::testing::Test {
 protected:
  QString MakeFile(const QByteArray& bytes) {
    const QString path = dir.filePath(QStringLiteral("image%1.bin").arg(++files));
    QFile f(path);
    EXPECT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(bytes);
    return path;
  }
  static QByteArray Pattern(int size) {
    QByteArray bytes;
    for (int i = 0; i < size; ++i) bytes.append(static_cast<char>(i * 7 + 3));
    return bytes;
  }
  void StartUpgrade(SerialRun& run, const QString& path) {
    run.Start([path](Channel& env) { return Upgrade(env, path); });
  }
  void StartDownload(SerialRun& run, const QString& path) {
    run.Start([path](Channel& env) { return DownloadBackup(env, path); });
  }

  QTemporaryDir dir;
  int files = 0;
};

TEST_F(SerialTransfer, ThreeHundredBytesGoAsThreePacketsWithTheirPausesThenAccepted) {
  const QByteArray image = Pattern(300);
  SerialRun run;
  StartUpgrade(run, MakeFile(image));
  QByteArray data;
  const int sizes[] = {138, 138, 54};
  const int lengths[] = {0x84, 0x84, 0x30};
  for (int k = 1; k <= 3; ++k) {
    const QByteArray f = run.device.ReadFrame();
    ASSERT_EQ(f.size(), sizes[k - 1]) << "packet " << k;
    EXPECT_EQ(f.left(4), Bytes({0x55, 0xAA, 0x01, 0x61}));
    EXPECT_EQ(static_cast<std::uint8_t>(f[4]), lengths[k - 1]);
    EXPECT_EQ(f.mid(5, 4), Bytes({0x00, 0x03, 0x00, k}));
    EXPECT_EQ(f, DeviceFrame(0x01, 0x61, f.mid(5, f.size() - 6))) << "checksum of packet " << k;
    data += f.mid(9, f.size() - 10);
  }
  // A 20 ms pause comes before every packet, the first included.
  EXPECT_GE(run.clock.NowMs() - run.StartMs(), 60);
  const qint64 lastPacket = run.clock.NowMs();
  run.device.Write(Bytes({0x55, 0xAA, 0x02, 0x61, 0x01, 0x5A, 0x41}));
  const OpResult r = run.Finish();
  EXPECT_EQ(data, image);
  EXPECT_EQ(r.outcome, Outcome::Success);
  EXPECT_EQ(r.bytes, 300);
  // The upgrade lets the device settle 200 ms before it listens for the answer.
  EXPECT_GE(run.clock.NowMs() - lastPacket, 200);
  EXPECT_EQ(
      run.fb.log,
      QStringList({"progress: show", "progress: range 3",
                   "progress: text Update program ,In total 3 data packages, currently 1 data package sending.......",
                   "progress: pos 1",
                   "progress: text Update program ,In total 3 data packages, currently 2 data package sending.......",
                   "progress: pos 2",
                   "progress: text Update program ,In total 3 data packages, currently 3 data package sending.......",
                   "progress: close", kOk}));
  EXPECT_FALSE(run.portOpenAfter);
}

TEST_F(SerialTransfer, ThreeByteFileFramesAndTheStatusDecidesWhateverTheHeader) {
  {  // Upgrade, refused.
    SerialRun run;
    StartUpgrade(run, MakeFile(Bytes({1, 2, 3})));
    EXPECT_EQ(run.device.ReadFrame(), Bytes({0x55, 0xAA, 0x01, 0x61, 0x07, 0x00, 0x01, 0x00, 0x01, 1, 2, 3, 0x8E}));
    run.device.Write(Bytes({0x55, 0xAA, 0x02, 0x61, 0x01, 0xA5, 0xF6}));
    EXPECT_EQ(run.Finish().outcome, Outcome::Failed);
    EXPECT_EQ(run.fb.log.last(), kError);
    EXPECT_FALSE(run.portOpenAfter);
  }
  {  // Backup download, accepted by a reply with another direction and command but a good checksum.
    SerialRun run(false);
    StartDownload(run, MakeFile(Bytes({1, 2, 3})));
    EXPECT_EQ(run.device.ReadFrame(), Bytes({0x55, 0xAA, 0x01, 0xC4, 0x07, 0x00, 0x01, 0x00, 0x01, 1, 2, 3, 0x2B}));
    run.device.Write(Bytes({0x55, 0xAA, 0x01, 0xC2, 0x01, 0x5A, 0xE1}));
    EXPECT_EQ(run.Finish().outcome, Outcome::Success);
    EXPECT_TRUE(
        run.fb.log.contains(QString::fromUtf8("progress: text 下载备份数据,共有1包数据,当前第1包数据正在发送...")));
    EXPECT_EQ(run.fb.log.last(), QString::fromUtf8("box: 接收成功！"));
  }
}

TEST_F(SerialTransfer, ExactMultipleOfThePacketSizeGivesFullPacketsOnly) {
  const QByteArray image = Pattern(256);
  SerialRun run;
  StartDownload(run, MakeFile(image));
  const QByteArray a = run.device.ReadFrame();
  const QByteArray b = run.device.ReadFrame();
  ASSERT_EQ(a.size(), 138);
  ASSERT_EQ(b.size(), 138);
  EXPECT_EQ(a.mid(3, 6), Bytes({0xC4, 0x84, 0x00, 0x02, 0x00, 0x01}));
  EXPECT_EQ(b.mid(3, 6), Bytes({0xC4, 0x84, 0x00, 0x02, 0x00, 0x02}));
  EXPECT_EQ(a.mid(9, 128) + b.mid(9, 128), image);
  run.device.Write(DeviceFrame(0x02, 0xC4, Bytes({0x5A})));
  EXPECT_EQ(run.Finish().outcome, Outcome::Success);
}

TEST_F(SerialTransfer, BadOrShortClosingRepliesAreErrors) {
  const QByteArray replies[] = {
      Bytes({0x55, 0xAA, 0x02, 0x61, 0x01, 0x5A, 0x42}),    // checksum off by one
      DeviceFrame(0x02, 0x61, QByteArray()),                // no status byte at all
      Sealed(Bytes({0x55, 0xAA, 0x02, 0x61, 0x09, 0x5A})),  // length past the bytes that came
  };
  for (const QByteArray& reply : replies) {
    SerialRun run;
    StartDownload(run, MakeFile(Bytes({9})));
    ASSERT_EQ(run.device.ReadFrame().size(), 11);
    run.device.Write(reply);
    EXPECT_EQ(run.Finish().outcome, Outcome::Failed) << reply.toHex().constData();
    EXPECT_EQ(run.fb.log.last(), kError);
  }
}

TEST_F(SerialTransfer, QuietEndsShowNoBoxButCloseTheProgressWindowAndThePort) {
  {  // Status 0x66.
    SerialRun run;
    StartUpgrade(run, MakeFile(Pattern(200)));
    run.device.ReadFrame();
    run.device.ReadFrame();
    run.device.Write(DeviceFrame(0x02, 0x61, Bytes({0x66})));
    EXPECT_EQ(run.Finish().outcome, Outcome::QuietEnd);
    EXPECT_TRUE(run.fb.Boxes().isEmpty());
    EXPECT_EQ(run.fb.log.mid(run.fb.log.size() - 2), QStringList({"progress: pos 2", "progress: close"}));
    EXPECT_FALSE(run.portOpenAfter);
  }
  {  // Another status, then silence until the window ends.
    SerialRun run;
    StartDownload(run, MakeFile(Pattern(10)));
    run.device.ReadFrame();
    run.device.Write(DeviceFrame(0x02, 0xC4, Bytes({0x33})));
    EXPECT_EQ(run.Finish().outcome, Outcome::QuietEnd);
    EXPECT_GE(run.ElapsedMs(), 3000);
    EXPECT_TRUE(run.fb.Boxes().isEmpty());
    EXPECT_EQ(run.fb.log.mid(run.fb.log.size() - 2), QStringList({"progress: pos 1", "progress: close"}));
    EXPECT_FALSE(run.portOpenAfter);
  }
}

TEST_F(SerialTransfer, UnknownStatusIsExtendedByTheBytesThatFollow) {
  // The first reply is kept; the next one joins it, and the joined run has no valid checksum.
  SerialRun run;
  StartDownload(run, MakeFile(Pattern(10)));
  run.device.ReadFrame();
  run.device.Write(DeviceFrame(0x02, 0xC4, Bytes({0x33})));
  QThread::msleep(150);
  run.device.Write(DeviceFrame(0x02, 0xC4, Bytes({0x5A})));
  EXPECT_EQ(run.Finish().outcome, Outcome::Failed);
  EXPECT_EQ(run.fb.log.last(), kError);
}

TEST_F(SerialTransfer, NoAnswerIsAnErrorOnceTheWindowHasPassed) {
  SerialRun run;
  StartDownload(run, MakeFile(Pattern(5)));
  run.device.ReadFrame();
  const qint64 sent = run.clock.NowMs();
  EXPECT_EQ(run.Finish().outcome, Outcome::Failed);
  const qint64 waited = run.clock.NowMs() - sent;
  EXPECT_GE(waited, 3000);
  EXPECT_LT(waited, 3600);
  EXPECT_EQ(run.fb.log.last(), kError);
  EXPECT_FALSE(run.portOpenAfter);
}

TEST_F(SerialTransfer, RepliesSplitByAdapterLatencyStayOneReply) {
  // A USB adapter can hand over a reply in bursts up to its 16 ms latency timer apart.
  SerialRun run;
  StartDownload(run, MakeFile(Pattern(5)));
  run.device.ReadFrame();
  const QByteArray reply = DeviceFrame(0x02, 0xC4, Bytes({0x5A}));
  run.device.Write(reply.left(3));
  QThread::msleep(18);
  run.device.Write(reply.mid(3, 2));
  QThread::msleep(18);
  run.device.Write(reply.mid(5));
  EXPECT_EQ(run.Finish().outcome, Outcome::Success);
}

TEST_F(SerialTransfer, FilesThatCannotBeSentAreRefusedBeforeAnythingGoesOut) {
  QFile big(dir.filePath(QStringLiteral("big.bin")));
  ASSERT_TRUE(big.open(QIODevice::WriteOnly));
  ASSERT_TRUE(big.resize(kMaxSerialImage + 1));  // one byte past 65,535 packets
  big.close();
  const struct {
    QString path;
    QString box;
  } cases[] = {
      {big.fileName(), "box: The file " + big.fileName() + " is too large: at most 8388480 bytes can be sent."},
      {MakeFile(QByteArray()), "box: The file is empty !"},
      {dir.filePath(QStringLiteral("missing.bin")),
       "box: Cannot open the file " + dir.filePath("missing.bin") + ".\nNo such file or directory"},
  };
  for (const auto& c : cases) {
    SerialRun run;
    StartUpgrade(run, c.path);
    EXPECT_EQ(run.Finish().outcome, Outcome::FileError);
    EXPECT_EQ(run.fb.log, QStringList{c.box});
    EXPECT_TRUE(run.device.ReadUntilQuiet(20).isEmpty());
    EXPECT_FALSE(run.portOpenAfter);
  }
}

TEST_F(SerialTransfer, CancelStopsBetweenPacketsAndClosesEverything) {
  SerialRun run;
  StartUpgrade(run, MakeFile(Pattern(128 * 50)));
  run.device.ReadFrame();
  run.fb.cancel = true;
  const OpResult r = run.Finish();
  EXPECT_EQ(r.outcome, Outcome::Interrupted);
  const qint64 more = run.device.ReadUntilQuiet(50).size();
  EXPECT_LT(more, 138 * 3);
  // What went out is told, as over USB: the first packet and any that followed it.
  EXPECT_EQ(r.bytes, 128 * (1 + more / 138));
  EXPECT_TRUE(run.fb.Boxes().isEmpty());
  EXPECT_EQ(run.fb.log.last(), "progress: close");
  EXPECT_FALSE(run.portOpenAfter);
}

TEST_F(SerialTransfer, ALineThatHangsUpShowsTheSystemTextAndEndsClean) {
  SerialRun run;
  StartDownload(run, MakeFile(Pattern(5)));
  run.device.ReadFrame();
  run.device.HangUp();
  const OpResult r = run.Finish();
  EXPECT_EQ(r.outcome, Outcome::Failed);
  ASSERT_FALSE(run.fb.Boxes().isEmpty());
  EXPECT_NE(run.fb.Boxes().last(), kError);
  EXPECT_TRUE(run.fb.Boxes().last().contains("no longer available"));
  EXPECT_EQ(run.fb.log.at(run.fb.log.size() - 2), "progress: close");
  EXPECT_FALSE(run.portOpenAfter);
  EXPECT_LT(run.ElapsedMs(), 2500);
  EXPECT_EQ(r.bytes, 5);

  // The same in Chinese mode is said in Chinese.
  SerialRun zh(false);
  StartDownload(zh, MakeFile(Pattern(5)));
  zh.device.ReadFrame();
  zh.device.HangUp();
  (void)zh.Finish();
  ASSERT_FALSE(zh.fb.Boxes().isEmpty());
  EXPECT_TRUE(zh.fb.Boxes().last().contains(QString::fromUtf8("串口已不可用"))) << zh.fb.Boxes().last().toStdString();
}

}  // namespace
}  // namespace quorvin::test
