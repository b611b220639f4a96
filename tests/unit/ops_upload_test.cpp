// The block upload engine and the two operations built on it: packet layout, pauses, the final
// acknowledgement, the message order, and files that cannot be sent.

#include <QDir>
#include <QFileInfo>

#include "host/InputFile.h"
#include "link/UsbTransaction.h"
#include "ops_fixture.h"

namespace quorvin::test {
namespace {

class Upload : public OpsTest {
 protected:
  // The device acknowledges once the packet numbered like the count has arrived.
  void AckLastPacket(std::vector<std::uint8_t> ack = {status::Accepted}, std::uint8_t command = 0) {
    hid.responder = [this, ack, command](const Report& r) {
      if (r[6] == r[8] && r[7] == r[9]) hid.QueueFrame(kDirReply, command ? command : r[4], ack, 20);
    };
  }
  QString Send(std::uint8_t command, const QByteArray& image) {
    UsbChannel env = Env();
    return EndOf(SendImage(env, command == cmd::UsbUpgrade ? ImageKind::Firmware : ImageKind::Backup, image));
  }
  // How a transfer ended, in a word.
  static QString EndOf(const OpResult& r) {
    if (r.outcome == Outcome::Interrupted) return "interrupted";
    switch (r.fault) {
      case Fault::None:
        return r.Ok() ? "accepted" : "?";
      case Fault::Refused:
        return "refused";
      case Fault::NoReply:
        return "unanswered";
      case Fault::FileEmpty:
        return "empty";
      case Fault::FileTooLarge:
        return "too-large";
      default:
        return "other";
    }
  }
  // The data bytes of every packet written, joined.
  QByteArray SentData() const {
    QByteArray all;
    for (const auto& w : hid.written) all.append(reinterpret_cast<const char*>(w.report.data() + 10), w.report[5] - 4);
    return all;
  }
};

TEST_F(Upload, PacketsAreCutAtTheCommandsSizeAndTheLastIsShorter) {
  AckLastPacket();
  const QByteArray image = Pattern(53);
  ASSERT_EQ(Send(cmd::UsbUpgrade, image), "accepted");
  ASSERT_EQ(hid.written.size(), 2u);
  std::vector<std::uint8_t> first = Body(0);
  EXPECT_EQ(first.size(), 60u);
  EXPECT_EQ(std::vector<std::uint8_t>(first.begin(), first.begin() + 7), Hex({0x01, 0xC3, 56, 0x00, 0x02, 0x00, 0x01}));
  EXPECT_TRUE(VerifyChecksum(first.data(), first.size()));
  std::vector<std::uint8_t> last = Body(1);
  ASSERT_EQ(last.size(), 9u);
  EXPECT_EQ(std::vector<std::uint8_t>(last.begin(), last.begin() + 8),
            Hex({0x01, 0xC3, 5, 0x00, 0x02, 0x00, 0x02, static_cast<std::uint8_t>(image[52])}));
  EXPECT_TRUE(VerifyChecksum(last.data(), last.size()));
  EXPECT_EQ(SentData(), image);

  hid.written.clear();
  ASSERT_EQ(Send(cmd::UsbUpgrade, Pattern(104)), "accepted");  // two full packets, nothing short
  ASSERT_EQ(hid.written.size(), 2u);
  EXPECT_EQ(hid.written[1].report[5], 56);

  hid.written.clear();
  ASSERT_EQ(Send(cmd::BackupDownload, Pattern(54)), "accepted");  // one body filling the report
  ASSERT_EQ(hid.written.size(), 1u);
  const Report& full = hid.written[0].report;
  EXPECT_EQ(full[5], 58);
  EXPECT_TRUE(VerifyChecksum(full.data() + 3, 62));  // checksum in the report's last byte
}

TEST_F(Upload, CountAndNumberTravelHighByteFirst) {
  AckLastPacket();
  const QByteArray image = Pattern(300 * 52);
  ASSERT_EQ(Send(cmd::UsbUpgrade, image), "accepted");
  ASSERT_EQ(hid.written.size(), 300u);
  for (std::size_t i = 0; i < hid.written.size(); ++i) {
    const Report& r = hid.written[i].report;
    ASSERT_EQ(r[6], 0x01) << i;
    ASSERT_EQ(r[7], 0x2C) << i;
    ASSERT_EQ((r[8] << 8 | r[9]), static_cast<int>(i + 1));
  }
  EXPECT_EQ(hid.written[257].report[8], 0x01);
  EXPECT_EQ(hid.written[257].report[9], 0x02);
  EXPECT_EQ(SentData(), image);
}

TEST_F(Upload, PausesOnTheWire) {
  for (std::uint8_t command : {cmd::UsbUpgrade, cmd::BackupDownload}) {
    hid.written.clear();
    AckLastPacket();
    ASSERT_EQ(Send(command, Pattern(4 * 54)), "accepted");
    const auto& w = hid.written;
    ASSERT_GE(w.size(), 4u);
    EXPECT_EQ(w[1].atMs - w[0].atMs, command == cmd::UsbUpgrade ? 4000 : 5000);
    for (std::size_t i = 2; i < w.size(); ++i) EXPECT_EQ(w[i].atMs - w[i - 1].atMs, 50);
    // 50 ms after the last packet, the acknowledgement (already due) is read, then the end line
    // stays for a second.
    EXPECT_EQ(clock.NowMs() - w.back().atMs, 50 + 1000);
  }

  // No acknowledgement: the read gives up after 5000 ms.
  hid.written.clear();
  hid.responder = nullptr;
  ASSERT_EQ(Send(cmd::UsbUpgrade, Pattern(10)), "unanswered");
  EXPECT_EQ(clock.NowMs() - hid.written[0].atMs, 4000 + 5000 + 1000);
}

TEST_F(Upload, OnlyTheExactAcknowledgementAccepts) {
  struct Case {
    const char* what;
    std::vector<std::uint8_t> payload;
    std::uint8_t command;
  };
  const std::vector<Case> cases{{"refused", {status::Refused}, 0},
                                {"length 2", {status::Accepted, 0x00}, 0},
                                {"other command", {status::Accepted}, cmd::BackupDownload}};
  for (const auto& c : cases) {
    AckLastPacket(c.payload, c.command);
    fb.log.clear();
    EXPECT_EQ(Send(cmd::UsbUpgrade, Pattern(20)), "refused") << c.what;
    EXPECT_EQ(fb.log.mid(fb.log.size() - 2).join('|'),
              "progress: text Update program sending failure !|progress: close")
        << c.what;
  }
  // Bytes after the checksum are the device's business.
  hid.responder = [this](const Report&) {
    Report ack = MakeReport(kDirReply, cmd::UsbUpgrade, {status::Accepted});
    std::fill(ack.begin() + 8, ack.end(), 0xEE);
    hid.QueueReply(ack, 1);
  };
  EXPECT_EQ(Send(cmd::UsbUpgrade, Pattern(20)), "accepted");
}

// No packet means no acknowledgement can come: refused at once rather than waited on.
TEST_F(Upload, EmptyImageIsRefusedBeforeAnythingIsSent) {
  const qint64 start = clock.NowMs();
  EXPECT_EQ(Send(cmd::UsbUpgrade, {}), "empty");
  EXPECT_TRUE(hid.written.empty());
  EXPECT_EQ(Joined(fb.log), Joined({"box: The file is empty !"}));
  EXPECT_EQ(clock.NowMs(), start);
}

TEST_F(Upload, UpgradeShowsItsBoxAfterTheProgressWindowCloses) {
  const QString path = PathOf("fw.bin");
  ASSERT_TRUE(WriteFile(path, Pattern(53)));
  AckLastPacket();
  UsbChannel env = Env();
  OpResult r = Upgrade(env, path);
  EXPECT_TRUE(r.Ok());
  EXPECT_EQ(r.bytes, 53);
  EXPECT_EQ(Joined(fb.log),
            Joined({"progress: show", "progress: range 2",
                    "progress: text  Update program ,In total 2 data packages, currently 1 data package sending.......",
                    "progress: pos 1",
                    "progress: text  Update program ,In total 2 data packages, currently 2 data package sending.......",
                    "progress: pos 2", "progress: text  Update program  sending sucessfully !", "progress: close",
                    "box: Update successfully"}));
  // Nothing was staged next to the image or anywhere we can see.
  EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList{"fw.bin"});
}

TEST_F(Upload, DownloadInChineseAndItsFailureOrder) {
  const QString path = PathOf("back-up.bin");
  ASSERT_TRUE(WriteFile(path, Pattern(108)));
  UsbChannel env = Env(false);
  OpResult r = DownloadBackup(env, path);  // the device never acknowledges
  EXPECT_EQ(r.outcome, Outcome::Failed);
  EXPECT_EQ(r.fault, Fault::NoReply);
  EXPECT_EQ(Joined(fb.log),
            Joined({"progress: show", "progress: range 2",
                    QString::fromUtf8("progress: text 下载备份数据,共有2包数据,当前第1包数据正在发送......"),
                    "progress: pos 1",
                    QString::fromUtf8("progress: text 下载备份数据,共有2包数据,当前第2包数据正在发送......"),
                    "progress: pos 2", QString::fromUtf8("progress: text 下载备份数据发送失败"), "progress: close",
                    QString::fromUtf8("box: 下载失败！")}));
  ASSERT_EQ(hid.written.size(), 2u);
  EXPECT_EQ(hid.written[1].report[5], 58);

  // A packet that cannot be written: the link's box while the window is open, no end line.
  fb.log.clear();
  hid.written.clear();
  hid.responder = [this](const Report&) { hid.failWrites = kWriteAttempts; };
  EXPECT_EQ(DownloadBackup(env, path).outcome, Outcome::Failed);
  EXPECT_EQ(hid.written.size(), 1u);
  EXPECT_EQ(Joined(fb.log.mid(fb.log.size() - 3)), Joined({QString::fromUtf8("box: 设备未连接，请连接设备！"),
                                                           "progress: close", QString::fromUtf8("box: 下载失败！")}));
}

TEST_F(Upload, FilesThatCannotBeSentAreRefusedBeforeAnythingGoesOut) {
  UsbChannel env = Env();
  const QString missing = PathOf("nope.bin");
  OpResult r = Upgrade(env, missing);
  EXPECT_EQ(r.outcome, Outcome::FileError);
  ASSERT_EQ(fb.log.size(), 1);
  EXPECT_TRUE(fb.log[0].startsWith("box: Cannot open the file " + missing + ".")) << fb.log[0].toStdString();

  fb.log.clear();
  const QString big = PathOf("big.bin");
  {
    QFile f(big);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    ASSERT_TRUE(f.resize(kMaxUsbImage + 1));
  }
  UsbChannel zh = Env(false);
  EXPECT_EQ(DownloadBackup(zh, big).outcome, Outcome::FileError);
  EXPECT_EQ(Joined(fb.log), Joined({QString::fromUtf8("box: 文件 %1 太大：最多可以发送 3000000 字节。").arg(big)}));
  EXPECT_TRUE(hid.written.empty());

  // An image handed over in memory is held to the same limit.
  fb.log.clear();
  EXPECT_EQ(EndOf(SendImage(env, ImageKind::Firmware, QByteArray(kMaxUsbImage + 1, 'x'))), "too-large");
  EXPECT_EQ(fb.log.size(), 1);
  EXPECT_TRUE(hid.written.empty());
}

TEST_F(Upload, ReadWholeFileLimits) {
  QByteArray buf;
  const QString path = PathOf("ten.bin");
  ASSERT_TRUE(WriteFile(path, Pattern(10)));
  EXPECT_EQ(ReadWholeFile(path, buf, 10), FileRead::Ok);
  EXPECT_EQ(buf, Pattern(10));
  EXPECT_EQ(ReadWholeFile(path, buf, 9), FileRead::TooLarge);
  EXPECT_TRUE(buf.isEmpty());
  ASSERT_TRUE(WriteFile(path, {}));
  EXPECT_EQ(ReadWholeFile(path, buf, 9), FileRead::Ok);
  EXPECT_TRUE(buf.isEmpty());
  EXPECT_EQ(ReadWholeFile(dir.path(), buf, 10), FileRead::CannotOpen);
  // A source with no size is read only up to the limit, never to its end.
  if (QFileInfo::exists("/dev/zero")) {
    EXPECT_EQ(ReadWholeFile("/dev/zero", buf, 100'000), FileRead::TooLarge);
    EXPECT_TRUE(buf.isEmpty());
  }
}

TEST_F(Upload, StopBetweenPacketsClosesTheWindowWithoutWaiting) {
  hid.responder = [this](const Report& r) {
    if (r[9] == 2) fb.cancel = true;
  };
  UsbChannel env = Env();
  const OpResult stopped = SendImage(env, ImageKind::Firmware, Pattern(52 * 5));
  EXPECT_EQ(EndOf(stopped), "interrupted");
  EXPECT_EQ(hid.written.size(), 2u);
  EXPECT_EQ(stopped.bytes, 104);
  EXPECT_EQ(fb.log.last(), "progress: close");
  EXPECT_TRUE(fb.Boxes().isEmpty());
  // The 4000 ms pause after packet 1 is cut short too.
  fb.log.clear();
  hid.written.clear();
  fb.cancel = false;
  hid.responder = [this](const Report&) { fb.cancel = true; };
  const qint64 start = clock.NowMs();
  EXPECT_EQ(EndOf(SendImage(env, ImageKind::Firmware, Pattern(60))), "interrupted");
  EXPECT_LE(clock.NowMs() - start, 100);
}

}  // namespace
}  // namespace quorvin::test
