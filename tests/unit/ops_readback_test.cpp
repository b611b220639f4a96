// Backup read-back over USB: the streamed packets, what ends the stream early, and the file, which
// is replaced only when everything has arrived.

#include <QDir>
#include <QFileInfo>

#include "ops_fixture.h"

namespace quorvin::test {
namespace {

Report Packet(int count, int number, const QByteArray& data, std::uint8_t command = cmd::BackupReadBack) {
  std::vector<std::uint8_t> payload{static_cast<std::uint8_t>(count >> 8), static_cast<std::uint8_t>(count),
                                    static_cast<std::uint8_t>(number >> 8), static_cast<std::uint8_t>(number)};
  for (char c : data) payload.push_back(static_cast<std::uint8_t>(c));
  return MakeReport(kDirReply, command, payload);
}

class ReadBack : public OpsTest {
 protected:
  const QByteArray kOld = QByteArrayLiteral("earlier backup");
  QString path = PathOf("upload.bin");

  // On the request the device streams `packets`, the first after `firstMs`, then one every `gapMs`.
  void Stream(std::vector<Report> packets, qint64 firstMs = 10, qint64 gapMs = 1) {
    hid.responder = [this, packets, firstMs, gapMs](const Report& r) {
      if (r[4] != cmd::BackupReadBack) return;
      for (std::size_t i = 0; i < packets.size(); ++i) hid.QueueReply(packets[i], firstMs + gapMs * qint64(i));
    };
  }
  OpResult Run(bool english = true) {
    UsbChannel env = Env(english);
    return ReadBackup(env, path);
  }
};

TEST_F(ReadBack, OnePacketCompletesAtOnce) {
  const QByteArray data = Pattern(54);
  Stream({Packet(1, 1, data)});
  OpResult r = Run();
  ASSERT_TRUE(r.Ok()) << r.detail.toStdString();
  EXPECT_EQ(r.bytes, 54);
  EXPECT_EQ(ReadFile(path), data);
  ASSERT_EQ(hid.written.size(), 1u);
  Report request{};
  for (int i : {1, 2, 3, 4, 5, 6}) request[i] = std::array<std::uint8_t, 7>{0, 0x55, 0xAA, 0x01, 0xC5, 0x00, 0x39}[i];
  EXPECT_EQ(hid.written[0].report, request);
  // No position for the first packet; the end line stays for a second before the window closes.
  EXPECT_EQ(Joined(fb.log),
            Joined({"progress: show", "progress: range 1", "progress: text Read backup data sending sucessfully ",
                    "progress: close", "box: Read backup data successfully !"}));

  // A device with nothing stored answers count 0 and no data: an empty backup, not an error.
  Stream({Packet(0, 0, {})});
  EXPECT_TRUE(Run().Ok());
  EXPECT_TRUE(QFileInfo(path).isFile());
  EXPECT_EQ(ReadFile(path), QByteArray());
}

TEST_F(ReadBack, LaterPacketsAreTakenWithoutTheirChecksum) {
  ASSERT_TRUE(WriteFile(path, kOld));
  const QByteArray a = Pattern(54), b = Pattern(54).toUpper(), c = Pattern(16);
  Report second = Packet(3, 2, b);  // a wrong checksum after the first packet: taken all the same
  second[64] = static_cast<std::uint8_t>(second[64] + 1);
  Stream({Packet(3, 1, a), second, Packet(3, 3, c)});
  OpResult r = Run(false);
  ASSERT_TRUE(r.Ok());
  EXPECT_EQ(ReadFile(path), a + b + c);
  EXPECT_EQ(r.bytes, 124);
  EXPECT_EQ(
      Joined(fb.log),
      Joined({"progress: show", "progress: range 3", "progress: pos 2",
              QString::fromUtf8("progress: text 回读备份数据,共有3包数据,当前第2包数据正在发送..."), "progress: pos 3",
              QString::fromUtf8("progress: text 回读备份数据,共有3包数据,当前第3包数据正在发送..."),
              QString::fromUtf8("progress: text 回读备份数据发送成功"), "progress: close",
              QString::fromUtf8("box: 回读备份数据成功！")}));
  EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList{"upload.bin"});
}

TEST_F(ReadBack, EveryFailureLeavesTheEarlierFileIntact) {
  const QByteArray d = Pattern(54);
  auto withLength = [](Report r, int length) {
    r[5] = static_cast<std::uint8_t>(length);
    return r;
  };
  const QString failed = "box: Read backup data failed !";
  const QStringList packetError{"progress: text Read backup data packet error", "progress: close", failed};
  const QStringList readFailure{"progress: text Read backup data read failure", "progress: close", failed};
  Report badSum = Packet(2, 1, d);
  badSum[64] = static_cast<std::uint8_t>(badSum[64] ^ 1);
  Report shortFirst = MakeReport(kDirReply, cmd::BackupReadBack, {0x00, 0x01});  // length 2, checksum fine

  struct Case {
    const char* what;
    std::vector<Report> packets;
    QStringList tail;
    qint64 gapMs = 1;
  };
  const std::vector<Case> cases{
      {"no reply", {}, {failed}},
      {"first reply to another command", {Packet(2, 1, d, cmd::ReadVersion)}, {failed}},
      {"bad first checksum",
       {badSum, Packet(2, 2, d)},
       {"box: Receiving data is not correct, please check whether the host is normal work !", failed}},
      {"foreign reply among the packets", {Packet(3, 1, d), Packet(3, 2, d, cmd::BackupDownload)}, packetError},
      {"a packet missing", {Packet(3, 1, d), Packet(3, 2, d)}, readFailure},
      {"a packet too late", {Packet(2, 1, d), Packet(2, 2, d)}, readFailure, 101},
      {"later length below 4", {Packet(2, 1, d), withLength(Packet(2, 2, d), 3)}, packetError},
      {"later length past the report", {Packet(2, 1, d), withLength(Packet(2, 2, d), 59)}, packetError},
      {"first length below 4", {shortFirst}, packetError},
      {"first length past the report", {withLength(Packet(2, 1, d), 200)}, packetError},
      {"count 0 with data", {Packet(0, 1, d)}, packetError},
      // Out of sequence: each would have put a wrong file in place of the backup.
      {"first packet not number 1", {Packet(2, 2, d), Packet(2, 1, d)}, packetError},
      {"a packet repeated", {Packet(3, 1, d), Packet(3, 1, d), Packet(3, 2, d)}, packetError},
      {"a packet skipped", {Packet(3, 1, d), Packet(3, 3, d), Packet(3, 2, d)}, packetError},
      {"a number past the count", {Packet(2, 1, d), Packet(2, 3, d)}, packetError},
      {"the count changed", {Packet(2, 1, d), Packet(3, 2, d), Packet(3, 3, d)}, packetError},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    ASSERT_TRUE(WriteFile(path, kOld));
    fb.log.clear();
    hid.ClearReplies();
    Stream(c.packets, 10, c.gapMs);
    OpResult r = Run();
    EXPECT_EQ(r.outcome, Outcome::Failed);
    EXPECT_EQ(Joined(fb.log.mid(fb.log.size() - c.tail.size())), Joined(c.tail));
    EXPECT_EQ(ReadFile(path), kOld);
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList{"upload.bin"});
    EXPECT_EQ(fb.log.count("progress: show"), fb.log.count("progress: close"));
  }
}

TEST_F(ReadBack, RequestWrittenOnceOnly) {
  ASSERT_TRUE(WriteFile(path, kOld));
  Stream({Packet(1, 1, Pattern(54))});
  hid.failWrites = 1;  // a second attempt would succeed: there must not be one
  OpResult r = Run();
  EXPECT_EQ(r.outcome, Outcome::Failed);
  EXPECT_TRUE(hid.written.empty());
  EXPECT_EQ(Joined(fb.log),
            Joined({"box: To send data failed, please send again !", "box: Read backup data failed !"}));
  EXPECT_EQ(ReadFile(path), kOld);
}

TEST_F(ReadBack, StreamTimings) {
  // The first packet may take almost 5 s; the rest must follow within 100 ms of each other.
  Stream({Packet(3, 1, Pattern(54)), Packet(3, 2, Pattern(54)), Packet(3, 3, Pattern(54))}, 4990, 100);
  EXPECT_TRUE(Run().Ok());
  Stream({Packet(1, 1, Pattern(54))}, 5001);
  EXPECT_EQ(Run().outcome, Outcome::Failed);
}

TEST_F(ReadBack, UnwritableFolderIsFoundBeforeTheDeviceIsAsked) {
  path = PathOf("no-such-folder/upload.bin");
  Stream({Packet(1, 1, Pattern(54))});
  OpResult r = Run();
  EXPECT_EQ(r.outcome, Outcome::FileError);
  EXPECT_TRUE(hid.written.empty());
  ASSERT_EQ(fb.log.size(), 1);
  EXPECT_TRUE(fb.log[0].startsWith("box: Cannot write the file " + path + ".")) << fb.log[0].toStdString();
}

TEST_F(ReadBack, StopMidStreamWritesNothing) {
  ASSERT_TRUE(WriteFile(path, kOld));
  std::vector<Report> packets;
  for (int k = 1; k <= 5; ++k) packets.push_back(Packet(5, k, Pattern(54)));
  Stream(packets);
  auto stream = hid.responder;
  hid.responder = [this, stream](const Report& r) {
    stream(r);
    fb.cancel = true;  // Ctrl+C while the first packet is on its way
  };
  OpResult r = Run();
  EXPECT_EQ(r.outcome, Outcome::Interrupted);
  EXPECT_EQ(r.bytes, 54);
  EXPECT_EQ(Joined(fb.log), Joined({"progress: show", "progress: range 5", "progress: close"}));
  EXPECT_EQ(ReadFile(path), kOld);
}

}  // namespace
}  // namespace quorvin::test
