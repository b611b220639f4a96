// The virtual repeater's serial side, driven with explicit times.

#include <gtest/gtest.h>

#include "protocol/Frame.h"
#include "sim/model/SerialDevice.h"

namespace quorvin {
namespace {

QByteArray Packet(std::uint8_t command, int count, int number, const QByteArray& data) {
  QByteArray payload;
  payload.append(static_cast<char>(count >> 8)).append(static_cast<char>(count));
  payload.append(static_cast<char>(number >> 8)).append(static_cast<char>(number));
  payload.append(data);
  const auto* raw = reinterpret_cast<const std::uint8_t*>(payload.constData());
  return BuildFrame(command, std::span(raw, static_cast<std::size_t>(payload.size())));
}

TEST(SerialSim, FindsFramesInTheByteStream) {
  DeviceModel model;
  SerialDevice device(model);
  const QByteArray request = BuildFrame(cmd::ReadVersion, {});
  // Noise first, then the request cut in two; a request with a bad checksum is not answered.
  device.OnBytes(QByteArray("\x00\x13\x55", 3) + request.left(3), 0);
  device.OnBytes(request.mid(3), 1);
  QByteArray broken = request;
  broken[5] = static_cast<char>(broken[5] + 1);
  device.OnBytes(broken, 2);
  EXPECT_EQ(device.TakeDue(10), QByteArray::fromHex("55aa02c20456312e3052"));
  EXPECT_FALSE(device.NextDueMs().has_value());
}

TEST(SerialSim, UploadIsJudgedOnItsPausesAndStoredOnlyWhenWhole) {
  DeviceModel model;
  SerialDevice device(model);
  const QByteArray image(200, 'f');
  // Paced as the tool does: accepted and kept.
  device.OnBytes(Packet(cmd::SerialUpgrade, 2, 1, image.left(128)), 0);
  device.OnBytes(Packet(cmd::SerialUpgrade, 2, 2, image.mid(128)), 21);
  EXPECT_EQ(device.TakeDue(21), SerialDevice::BuildReply(cmd::SerialUpgrade, QByteArray(1, '\x5A')));
  EXPECT_EQ(model.FirmwareImage(), image);

  // Without the pause, or with a short packet before the last, the device refuses.
  device.OnBytes(
      Packet(cmd::BackupDownload, 2, 1, QByteArray(128, 'b')) + Packet(cmd::BackupDownload, 2, 2, QByteArray(3, 'b')),
      100);
  EXPECT_EQ(device.TakeDue(100), SerialDevice::BuildReply(cmd::BackupDownload, QByteArray(1, '\xA5')));
  device.OnBytes(Packet(cmd::BackupDownload, 2, 1, QByteArray(100, 'b')), 200);
  device.OnBytes(Packet(cmd::BackupDownload, 2, 2, QByteArray(3, 'b')), 230);
  EXPECT_EQ(device.TakeDue(230), SerialDevice::BuildReply(cmd::BackupDownload, QByteArray(1, '\xA5')));
  EXPECT_EQ(model.BackupData(), DeviceModel::DefaultBackupData());

  model.Faults().quietStatus = FaultCount::Times(1);
  device.OnBytes(Packet(cmd::BackupDownload, 1, 1, QByteArray(5, 'q')), 300);
  EXPECT_EQ(device.TakeDue(300), SerialDevice::BuildReply(cmd::BackupDownload, QByteArray(1, '\x66')));
  EXPECT_EQ(model.BackupData(), DeviceModel::DefaultBackupData());
}

TEST(SerialSim, ThePauseToleranceSetOnTheModelRulesTheSerialLinkToo) {
  // --pause-tolerance-ms reaches the serial side: a pause 11 ms short of the 20 ms passes within
  // the default allowance, not within none.
  const auto statusAfter = [](int toleranceMs) {
    DeviceModel model;
    if (toleranceMs >= 0) model.SetPauseToleranceMs(toleranceMs);
    SerialDevice device(model);
    device.OnBytes(Packet(cmd::BackupDownload, 2, 1, QByteArray(128, 'b')), 0);
    device.OnBytes(Packet(cmd::BackupDownload, 2, 2, QByteArray(3, 'b')), 9);
    return device.TakeDue(9).at(5);
  };
  EXPECT_EQ(statusAfter(-1), '\x5A');
  EXPECT_EQ(statusAfter(0), '\xA5');
}

TEST(SerialSim, ReadBackFramesArePacedAtWireTimeAndCanStopEarly) {
  DeviceModel model;
  SerialDevice device(model);  // 9600 bit/s: a 138-byte frame takes 144 ms on the wire
  device.OnBytes(BuildFrame(cmd::BackupReadBack, {}), 1000);
  const QByteArray first = device.TakeDue(1000);
  ASSERT_EQ(first.size(), 138);
  EXPECT_EQ(first.mid(3, 6), QByteArray::fromHex("c584 0003 0001"));
  EXPECT_EQ(device.NextDueMs(), 1144);
  EXPECT_TRUE(device.TakeDue(1143).isEmpty());
  EXPECT_EQ(device.TakeDue(1144).mid(7, 2), QByteArray::fromHex("0002"));
  const QByteArray last = device.TakeDue(2000);
  EXPECT_EQ(last.size(), 6 + 4 + 44);
  EXPECT_EQ(first.mid(9, 128), DeviceModel::DefaultBackupData().left(128));

  model.Faults().stopReadBackAfter = 1;
  device.SetBaud(115200);
  device.OnBytes(BuildFrame(cmd::BackupReadBack, {}), 3000);
  EXPECT_EQ(device.TakeDue(9000).size(), 138);
}

TEST(SerialSim, JitteredRepliesComeByteByByteInOrderWithinTheirBounds) {
  DeviceModel model;
  model.Faults().serialReplyDelayMaxMs = 30;
  model.Faults().serialByteGapMaxMs = 20;
  SerialDevice device(model);
  const QByteArray whole = QByteArray::fromHex("55aa02c20456312e3052");
  bool sawLateStart = false;
  bool sawGap = false;
  for (int round = 0; round < 20; ++round) {
    const qint64 asked = round * 10'000;
    device.OnBytes(BuildFrame(cmd::ReadVersion, {}), asked);
    QByteArray got;
    qint64 previous = -1;
    for (qint64 t = asked; t <= asked + 30 + 9 * 20; ++t) {
      const QByteArray bytes = device.TakeDue(t);
      if (bytes.isEmpty()) continue;
      if (previous < 0) {
        EXPECT_LE(t - asked, 30);
        sawLateStart = sawLateStart || t > asked;
      } else {
        EXPECT_LE(t - previous, 20);
        sawGap = sawGap || t - previous > 1;
      }
      previous = t;
      got += bytes;
    }
    EXPECT_EQ(got, whole) << "round " << round;
    EXPECT_FALSE(device.NextDueMs().has_value());
  }
  EXPECT_TRUE(sawLateStart);
  EXPECT_TRUE(sawGap);

  // A read-back's later packets wait for a jittered first packet's last byte: the stream stays whole.
  device.SetBaud(115200);
  device.OnBytes(BuildFrame(cmd::BackupReadBack, {}), 500'000);
  QByteArray stream;
  for (qint64 t = 500'000; device.NextDueMs(); ++t) stream += device.TakeDue(t);
  const QByteArray data = DeviceModel::DefaultBackupData();
  ASSERT_EQ(stream.size(), 3 * 10 + data.size());
  EXPECT_EQ(stream.mid(3, 6), QByteArray::fromHex("c584 0003 0001"));
  EXPECT_EQ(stream.mid(138 + 3, 6), QByteArray::fromHex("c584 0003 0002"));
  EXPECT_EQ(stream.mid(276 + 9, 44), data.mid(256));
}

// A request that comes while a reply is still going out byte by byte: the reply is finished before
// anything else goes out, so the host never sees half a frame or two frames mixed.
TEST(SerialSim, ARequestMidReplyNeverTearsAFrameOnTheLine) {
  DeviceModel model;
  model.Faults().serialReplyDelayMaxMs = 5;
  model.Faults().serialByteGapMaxMs = 5;
  SerialDevice device(model);
  device.SetBaud(115200);
  const QByteArray version = QByteArray::fromHex("55aa02c20456312e3052");
  for (int round = 0; round < 20; ++round) {
    const qint64 asked = round * 10'000;
    device.OnBytes(BuildFrame(cmd::ReadVersion, {}), asked);
    QByteArray out;
    qint64 t = asked;
    while (out.size() < 3) out += device.TakeDue(t++);  // part of the reply is on the line
    device.OnBytes(BuildFrame(round % 2 ? cmd::BackupReadBack : cmd::ReadVersion, {}), t);
    for (; device.NextDueMs(); ++t) out += device.TakeDue(t);
    EXPECT_EQ(out.left(version.size()), version) << "round " << round;
    // Whatever follows is whole frames too: the next reply, or the read-back's packets.
    for (qsizetype at = version.size(); at < out.size();) {
      ASSERT_EQ(out.mid(at, 3), QByteArray::fromHex("55aa02")) << "round " << round << " at " << at;
      at += 6 + static_cast<std::uint8_t>(out[at + 4]);
      ASSERT_LE(at, out.size());
    }
  }

  // An upload's verdict, sent byte by byte, while read-back packets are still queued: it follows
  // them instead of being threaded through them.
  device.OnBytes(BuildFrame(cmd::BackupReadBack, {}), 900'000);
  QByteArray packet("\x00\x01\x00\x01", 4);
  packet += QByteArray(10, 'u');
  device.OnBytes(BuildFrame(cmd::BackupDownload, std::span(reinterpret_cast<const std::uint8_t*>(packet.constData()),
                                                           static_cast<std::size_t>(packet.size()))),
                 900'001);
  QByteArray out;
  for (qint64 t = 900'000; device.NextDueMs(); ++t) out += device.TakeDue(t);
  qsizetype at = 0;
  QByteArray commands;
  while (at < out.size()) {
    ASSERT_EQ(out.mid(at, 3), QByteArray::fromHex("55aa02")) << "at " << at;
    commands += out[at + 3];
    at += 6 + static_cast<std::uint8_t>(out[at + 4]);
  }
  EXPECT_EQ(commands, QByteArray::fromHex("c5c5c5c4"));
}

}  // namespace
}  // namespace quorvin
