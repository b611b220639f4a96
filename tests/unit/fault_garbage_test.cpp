// A device that talks nonsense for a while before it answers: random reports on the USB link and
// random bytes on the serial line, many seeds, on a virtual clock. Replies the tool is meant to
// pass over are passed over, anything else ends the operation with its own message, and every
// operation ends clean: no crash, the progress window closed, the port closed, the file kept.

#include <QRandomGenerator>

#include "ops/Operations.h"
#include "ops_fixture.h"
#include "serial_fixture.h"

namespace quorvin::test {
namespace {

constexpr int kSeeds = 60;

std::vector<std::uint8_t> RandomPayload(QRandomGenerator& rng, int maxLength) {
  std::vector<std::uint8_t> p(rng.bounded(maxLength + 1));
  for (auto& b : p) b = static_cast<std::uint8_t>(rng.bounded(256));
  return p;
}

// A well-formed reply to some other command than `asked`: a late answer the tool must skip.
Report Stray(QRandomGenerator& rng, std::uint8_t asked) {
  std::uint8_t command = asked;
  while (command == asked) command = static_cast<std::uint8_t>(rng.bounded(256));
  return MakeReport(kDirReply, command, RandomPayload(rng, 58));
}

// A report that is no reply at all, in one of the ways a device gets it wrong: noise, a frame with
// a wrong checksum, or a length byte that runs past the report.
enum class JunkKind { Noise, WrongChecksum, LengthPastTheReport };

Report Junk(QRandomGenerator& rng, std::uint8_t command, JunkKind kind) {
  Report r{};
  switch (kind) {
    case JunkKind::Noise:
      for (std::size_t i = 1; i < r.size(); ++i) r[i] = static_cast<std::uint8_t>(rng.bounded(256));
      if (r[1] == kStart1) r[1] = 0x00;
      break;
    case JunkKind::WrongChecksum:
      r = MakeReport(kDirReply, command, RandomPayload(rng, 58));
      r[6 + r[5]] = static_cast<std::uint8_t>(r[6 + r[5]] + 1 + rng.bounded(255));
      break;
    case JunkKind::LengthPastTheReport:
      r = MakeReport(kDirReply, command, RandomPayload(rng, 58));
      r[5] = static_cast<std::uint8_t>(59 + rng.bounded(197));
      break;
  }
  return r;
}

Report Junk(QRandomGenerator& rng, std::uint8_t command) {
  return Junk(rng, command, static_cast<JunkKind>(rng.bounded(3)));
}

struct ShortOp {
  std::uint8_t command;
  OpResult (*run)(Channel&);
  std::vector<std::uint8_t> reply;
  const char* failure;
};

const ShortOp kShortOps[] = {
    {cmd::ReadVersion, ReadVersion, {'V', '2', '.', '0'}, "box: Reading version failed !"},
    {cmd::ReadFrequency, ReadFrequency, {0x80, 0xAC, 0xCF, 0x12}, "box: Reading frequency failed !"},
    {cmd::InitCallButtons, InitCallButtons, {0x5A}, "box: Initialize call button data failed !"},
};

class Garbage : public OpsTest {};

TEST_F(Garbage, ShortExchangesSkipStrayRepliesAndFailOnJunk) {
  for (const ShortOp& op : kShortOps) {
    for (int seed = 1; seed <= kSeeds; ++seed) {
      QRandomGenerator rng(static_cast<quint32>(seed));
      const bool withJunk = seed % 2 == 0;
      const int strays = rng.bounded(12);
      const int junkAt = rng.bounded(strays + 1);
      std::vector<std::pair<qint64, Report>> script;
      qint64 at = 0;
      for (int i = 0; i <= strays; ++i) {
        if (withJunk && i == junkAt) script.emplace_back(at += rng.bounded(300), Junk(rng, op.command));
        if (i < strays) script.emplace_back(at += rng.bounded(300), Stray(rng, op.command));
      }
      script.emplace_back(at += rng.bounded(300), MakeReport(kDirReply, op.command, op.reply));
      hid.ClearReplies();
      hid.responder = [&](const Report&) {
        for (const auto& [delay, r] : script) hid.QueueReply(r, delay);
      };
      fb.log.clear();
      UsbChannel env = Env();
      const OpResult r = op.run(env);
      SCOPED_TRACE(testing::Message() << "command " << int(op.command) << " seed " << seed);
      if (withJunk) {
        EXPECT_EQ(r.outcome, Outcome::Failed);
        EXPECT_EQ(fb.Boxes(), QStringList({"box: Read data failed, please send again !", op.failure}));
      } else {
        EXPECT_TRUE(r.Ok()) << Joined(fb.log);
      }
      EXPECT_EQ(fb.log.last(), "progress: close");
    }
  }
}

Report ReadBackReport(int count, int number, const QByteArray& data) {
  std::vector<std::uint8_t> p{static_cast<std::uint8_t>(count >> 8), static_cast<std::uint8_t>(count),
                              static_cast<std::uint8_t>(number >> 8), static_cast<std::uint8_t>(number)};
  for (char c : data) p.push_back(static_cast<std::uint8_t>(c));
  return MakeReport(kDirReply, cmd::BackupReadBack, p);
}

// After a sound first packet the device is taken at its word on checksums; anything that is not a
// read-back packet, whose length cannot be right, or that is out of sequence (a repeat, a gap, a
// changed count) ends it.
TEST_F(Garbage, ReadBackTakesOddPacketsAsTheyComeButNotJunk) {
  const QString path = PathOf("backup.bin");
  for (int seed = 1; seed <= kSeeds; ++seed) {
    QRandomGenerator rng(static_cast<quint32>(seed));
    const int count = 2 + rng.bounded(30);
    const bool withJunk = seed % 2 == 0;
    const int junkAt = 2 + rng.bounded(count - 1);
    QByteArray expected;
    std::vector<Report> packets;
    for (int k = 1; k <= count; ++k) {
      if (withJunk && k == junkAt) {
        switch (rng.bounded(5)) {
          case 0:
            packets.push_back(Junk(rng, cmd::BackupReadBack, JunkKind::Noise));
            break;
          case 1:
            packets.push_back(Junk(rng, cmd::BackupReadBack, JunkKind::LengthPastTheReport));
            break;
          case 2:
            packets.push_back(ReadBackReport(count, k - 1, "again"));
            break;  // a repeat
          case 3:
            packets.push_back(ReadBackReport(count + 1, k, "recount"));
            break;
          default:
            packets.push_back(Stray(rng, cmd::BackupReadBack));
            break;
        }
        continue;
      }
      QByteArray data(rng.bounded(55), Qt::Uninitialized);
      for (auto& c : data) c = static_cast<char>(rng.bounded(256));
      Report r = ReadBackReport(count, k, data);
      if (k > 1 && rng.bounded(2)) r[6 + r[5]] ^= 0xFF;  // a later checksum is not looked at
      if (k == 1 || !withJunk || k < junkAt) expected += data;
      packets.push_back(r);
    }
    hid.responder = [&](const Report&) {
      qint64 at = 0;
      for (const Report& p : packets) hid.QueueReply(p, at += rng.bounded(1, 90));  // within the 100 ms allowed
    };
    ASSERT_TRUE(WriteFile(path, "earlier"));
    fb.log.clear();
    UsbChannel env = Env();
    const OpResult r = ReadBackup(env, path);
    SCOPED_TRACE(testing::Message() << "seed " << seed);
    if (withJunk) {
      EXPECT_EQ(r.outcome, Outcome::Failed);
      EXPECT_TRUE(fb.log.contains("progress: text Read backup data packet error")) << Joined(fb.log);
      EXPECT_EQ(ReadFile(path), "earlier");
      EXPECT_EQ(r.bytes, expected.size());
    } else {
      EXPECT_TRUE(r.Ok()) << Joined(fb.log);
      EXPECT_EQ(ReadFile(path), expected);
    }
    hid.ClearReplies();
  }
}

// Junk where the first packet should be: a frame with a wrong checksum is named as such, anything
// else is no reply; the earlier file stays either way.
TEST_F(Garbage, ReadBackWithJunkForItsFirstReply) {
  const QString path = PathOf("backup.bin");
  for (int seed = 1; seed <= kSeeds; ++seed) {
    QRandomGenerator rng(static_cast<quint32>(seed));
    const Report junk = Junk(rng, cmd::BackupReadBack);
    hid.responder = [&](const Report&) {
      hid.QueueReply(junk, rng.bounded(4000));
      hid.QueueReply(ReadBackReport(1, 1, "late"), 4500);
    };
    ASSERT_TRUE(WriteFile(path, "earlier"));
    fb.log.clear();
    UsbChannel env = Env();
    EXPECT_EQ(ReadBackup(env, path).outcome, Outcome::Failed);
    const bool framed = junk[1] == kStart1 && junk[5] <= kMaxUsbPayload;
    EXPECT_EQ(fb.Boxes(), framed ? QStringList({"box: Receiving data is not correct, please check whether the host is "
                                                "normal work !",
                                                "box: Read backup data failed !"})
                                 : QStringList({"box: Read backup data failed !"}))
        << "seed " << seed;
    EXPECT_EQ(ReadFile(path), "earlier");
    hid.ClearReplies();
  }
}

// --- Serial line ------------------------------------------------------------------------------

// Random bytes to come before `reply` with the line never quiet for 50 ms in between. Nothing
// marks where the noise ends, so noise and reply are one reply to the tool; the noise is made so
// that this reply's checksum does not hold by chance.
QByteArray Noise(QRandomGenerator& rng, int maxBytes, const QByteArray& reply) {
  QByteArray n(3 + rng.bounded(maxBytes - 2), Qt::Uninitialized);
  for (auto& c : n) c = static_cast<char>(rng.bounded(256));
  const QByteArray all = n + reply;
  if (VerifyChecksum(reinterpret_cast<const std::uint8_t*>(all.constData()) + 2,
                     static_cast<std::size_t>(all.size() - 2)))
    n[2] = static_cast<char>(n[2] + 1);
  return n;
}

// The scripted line, answering once the host has written its last frame: `noise` then `reply`, in
// pieces 0 to 40 ms apart.
struct NoisyLine : SerialBench {
  void Answer(QRandomGenerator& rng, const QByteArray& noise, const QByteArray& reply, int writesBeforeAnswer = 1) {
    port.responder = [this, &rng, noise, reply, writesBeforeAnswer, writes = 0](const QByteArray&) mutable {
      if (++writes != writesBeforeAnswer) return;
      qint64 at = 0;
      for (qsizetype i = 0; i < noise.size();) {
        const qsizetype piece = 1 + rng.bounded(16);
        port.QueueBytes(noise.mid(i, piece), at += rng.bounded(41));
        i += piece;
      }
      port.QueueBytes(reply, at += rng.bounded(41));
    };
  }
};

TEST(SerialGarbage, NoiseBeforeTheVersionReplyFailsTheRead) {
  for (int seed = 1; seed <= kSeeds; ++seed) {
    QRandomGenerator rng(static_cast<quint32>(seed));
    NoisyLine b;
    const QByteArray reply = DeviceFrame(cmd::ReadVersion, "V1.0");
    b.Answer(rng, Noise(rng, 300, reply), reply);
    const OpResult r = ReadVersion(b.env);
    SCOPED_TRACE(testing::Message() << "seed " << seed);
    EXPECT_EQ(r.outcome, Outcome::Failed);
    EXPECT_EQ(b.fb.Boxes(), QStringList{"box: Reading version failed !"});
    b.ExpectClean();
  }
}

TEST(SerialGarbage, NoiseBeforeTheClosingReplyIsReturnErrorData) {
  QTemporaryDir dir;
  const QString image = dir.filePath("fw.bin");
  ASSERT_TRUE(WriteFile(image, QByteArray(300, 'f')));
  for (int seed = 1; seed <= kSeeds; ++seed) {
    QRandomGenerator rng(static_cast<quint32>(seed));
    NoisyLine b;
    const bool upgrade = seed % 2 == 1;
    const std::uint8_t command = upgrade ? cmd::SerialUpgrade : cmd::BackupDownload;
    const QByteArray ack = DeviceFrame(command, QByteArray(1, '\x5A'));
    b.Answer(rng, Noise(rng, 300, ack), ack, 3);
    const OpResult r = upgrade ? Upgrade(b.env, image) : DownloadBackup(b.env, image);
    SCOPED_TRACE(testing::Message() << "seed " << seed);
    EXPECT_EQ(r.outcome, Outcome::Failed);
    EXPECT_EQ(b.fb.Boxes(), QStringList{"box: Return error data !"});
    b.ExpectClean();
  }
}

TEST(SerialGarbage, NoiseInsteadOfReadBackPacketsKeepsTheEarlierFile) {
  QTemporaryDir dir;
  const QString path = dir.filePath("backup.bin");
  for (int seed = 1; seed <= kSeeds; ++seed) {
    QRandomGenerator rng(static_cast<quint32>(seed));
    ASSERT_TRUE(WriteFile(path, "earlier"));
    NoisyLine b;
    const QByteArray packet = DeviceFrame(cmd::BackupReadBack, QByteArray("\x00\x01\x00\x01", 4) + "data");
    // Kept below a full frame's 138 bytes, which would end a chunk by size alone.
    b.Answer(rng, Noise(rng, 120, packet), packet);
    const OpResult r = ReadBackup(b.env, path);
    SCOPED_TRACE(testing::Message() << "seed " << seed);
    EXPECT_EQ(r.outcome, Outcome::Failed);
    EXPECT_EQ(b.fb.Boxes(), QStringList{"box: Return error data !"});
    EXPECT_EQ(ReadFile(path), "earlier");
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList{"backup.bin"});
    b.ExpectClean();
  }
}

// Replies with an unknown status are kept and grown by what follows. A device that keeps them
// coming, each run with a checksum that holds, fills the reply buffer; the transfer then waits out
// its window like any unknown status, rather than spinning on reads that can take nothing.
TEST(SerialGarbage, KeptRepliesThatFillTheBufferEndWithTheWindow) {
  QTemporaryDir dir;
  const QString image = dir.filePath("fw.bin");
  ASSERT_TRUE(WriteFile(image, "fw"));
  NoisyLine b;
  b.port.responder = [&](const QByteArray&) {
    QByteArray run = DeviceFrame(cmd::SerialUpgrade, QByteArray(1, '\x11'));  // unknown status
    b.port.QueueBytes(run, 0);
    QRandomGenerator rng(7);
    for (const int size : {200, 200, 200, 200, 217}) {  // to exactly 1024 bytes
      QByteArray more(size, Qt::Uninitialized);
      for (auto& c : more) c = static_cast<char>(rng.bounded(256));
      run += more;
      int sum = 0;
      for (qsizetype i = 2; i < run.size() - 1; ++i) sum += static_cast<std::uint8_t>(run[i]);
      run[run.size() - 1] = static_cast<char>(~sum);  // the whole run's checksum holds again
      more[size - 1] = run.back();
      b.port.QueueBytes(more, 100);  // after a silence: checked again each time
    }
    ASSERT_EQ(run.size(), 1024);
  };
  const qint64 start = b.clock.NowMs();
  const OpResult r = Upgrade(b.env, image);
  EXPECT_EQ(r.outcome, Outcome::QuietEnd) << r.detail.toStdString();
  EXPECT_TRUE(b.fb.Boxes().isEmpty());
  EXPECT_LE(b.clock.NowMs() - start, 20 + 200 + 3000 + 100);  // pause, settle, window, one idle wait
  b.ExpectClean();
}

}  // namespace
}  // namespace quorvin::test
