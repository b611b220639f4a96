// The virtual repeater's device model: what it answers, what it refuses, and what each fault does
// to the exchange. Driven report by report with explicit times.

#include <gtest/gtest.h>

#include <vector>

#include "sim/model/DeviceModel.h"
#include "support/Files.h"

namespace quorvin {
namespace {

using Bytes = std::vector<std::uint8_t>;

Report Request(std::uint8_t command, const Bytes& payload = {}) {
  const QByteArray body = BuildBody(command, payload);
  Report r{};
  r[1] = kStart1;
  r[2] = kStart2;
  std::copy(body.begin(), body.end(), r.begin() + 3);
  return r;
}

// One upload packet as the host's engine builds it: count and number high byte first.
Report Packet(std::uint8_t command, int count, int number, const QByteArray& data) {
  Bytes payload{static_cast<std::uint8_t>(count >> 8), static_cast<std::uint8_t>(count),
                static_cast<std::uint8_t>(number >> 8), static_cast<std::uint8_t>(number)};
  payload.insert(payload.end(), data.begin(), data.end());
  return Request(command, payload);
}

Bytes Frame(const Report& r) { return Bytes(r.begin() + 1, r.begin() + 7 + r[5]); }
Bytes Payload(const Report& r) { return Bytes(r.begin() + 6, r.begin() + 6 + r[5]); }

using test::Pattern;

// Sends `image` as the host's block upload does: the long pause after packet 1, 50 ms after the rest.
void Upload(DeviceModel& m, std::uint8_t command, const QByteArray& image, qint64& now) {
  const int per = command == cmd::UsbUpgrade ? 52 : 54;
  const int first = command == cmd::UsbUpgrade ? 4000 : 5000;
  const int count = static_cast<int>((image.size() + per - 1) / per);
  for (int k = 1; k <= count; ++k) {
    m.OnUsbReport(Packet(command, count, k, image.mid((k - 1) * per, per)), now);
    now += k == 1 ? first : 50;
  }
}

std::optional<Report> Next(DeviceModel& m, qint64 now) { return m.TakeDue(now); }

TEST(SimModel, AnswersVersionFrequencyAndCallButtons) {
  DeviceModel m;
  m.OnUsbReport(Request(cmd::ReadVersion), 0);
  auto r = Next(m, 0);
  ASSERT_TRUE(r);
  EXPECT_EQ(CheckUsbReply(*r, cmd::ReadVersion), ReplyCheck::Valid);
  EXPECT_EQ(Payload(*r), (Bytes{'V', '1', '.', '0'}));

  m.OnUsbReport(Request(cmd::ReadFrequency), 1);
  r = Next(m, 1);
  ASSERT_TRUE(r);
  EXPECT_EQ(Payload(*r), (Bytes{0x80, 0xAC, 0xCF, 0x12}));  // 315600000, least significant first

  m.OnUsbReport(Request(cmd::SetFrequency, {0x00, 0xE9, 0xA4, 0x35}), 2);
  r = Next(m, 2);
  ASSERT_TRUE(r);
  EXPECT_EQ(CheckUsbReply(*r, cmd::SetFrequency), ReplyCheck::Valid);
  EXPECT_EQ(m.Frequency(), 900'000'000u);

  ASSERT_FALSE(m.CallButtonData().isEmpty());
  m.OnUsbReport(Request(cmd::InitCallButtons), 3);
  r = Next(m, 3);
  ASSERT_TRUE(r);
  EXPECT_EQ(CheckUsbReply(*r, cmd::InitCallButtons), ReplyCheck::Valid);
  EXPECT_TRUE(m.CallButtonData().isEmpty());
  EXPECT_EQ(m.CallButtonInits(), 1);

  ASSERT_TRUE(m.SetVersion("V2.13b"));
  EXPECT_FALSE(m.SetVersion(QByteArray(59, 'x')));  // would not fit one reply
  m.OnUsbReport(Request(cmd::ReadVersion), 4);
  r = Next(m, 4);
  ASSERT_TRUE(r);
  EXPECT_EQ(Payload(*r), (Bytes{'V', '2', '.', '1', '3', 'b'}));
}

TEST(SimModel, IgnoresWhatIsNotAGoodRequest) {
  DeviceModel m;
  Report bad = Request(cmd::ReadVersion);
  bad[6] ^= 1;  // checksum off
  m.OnUsbReport(bad, 0);
  Report echo = Request(cmd::ReadVersion);
  echo[3] = kDirReply;
  m.OnUsbReport(echo, 0);
  m.OnUsbReport(Request(cmd::SetFrequency, {1, 2, 3}), 0);  // frequency needs four bytes
  m.OnUsbReport(Request(cmd::SerialUpgrade), 0);            // serial only
  Report tooLong = Request(cmd::ReadVersion);
  tooLong[5] = 59;
  m.OnUsbReport(tooLong, 0);
  EXPECT_FALSE(m.NextDueMs());
  EXPECT_EQ(m.Frequency(), DeviceModel::kDefaultFrequency);
}

TEST(SimModel, AcceptsWholeUploadsAndKeepsThem) {
  DeviceModel m;
  qint64 now = 0;
  const QByteArray firmware = Pattern(53);  // 52 + 1: the last packet is shorter
  Upload(m, cmd::UsbUpgrade, firmware, now);
  auto ack = Next(m, now);
  ASSERT_TRUE(ack);
  EXPECT_EQ(Frame(*ack), (Bytes{0x55, 0xAA, 0x02, 0xC3, 0x01, 0x5A, 0xDF}));
  EXPECT_EQ(m.FirmwareImage(), firmware);

  const QByteArray backup = Pattern(108);  // two full packets
  Upload(m, cmd::BackupDownload, backup, now);
  ack = Next(m, now);
  ASSERT_TRUE(ack);
  EXPECT_EQ(Frame(*ack), (Bytes{0x55, 0xAA, 0x02, 0xC4, 0x01, 0x5A, 0xDE}));
  EXPECT_EQ(m.BackupData(), backup);
  EXPECT_FALSE(Next(m, now + 10'000));  // one acknowledgement per transfer, no more
}

TEST(SimModel, RefusesInconsistentUploadsAndKeepsTheOldData) {
  struct Case {
    const char* what;
    std::function<void(DeviceModel&, qint64&)> send;
  };
  const QByteArray d54 = Pattern(54);
  const std::vector<Case> cases = {
      {"count changes",
       [&](DeviceModel& m, qint64& t) {
         m.OnUsbReport(Packet(cmd::BackupDownload, 2, 1, d54), t);
         t += 5000;
         m.OnUsbReport(Packet(cmd::BackupDownload, 3, 2, d54), t);
         t += 50;
         m.OnUsbReport(Packet(cmd::BackupDownload, 3, 3, d54.left(3)), t);
       }},
      {"number skipped",
       [&](DeviceModel& m, qint64& t) {
         m.OnUsbReport(Packet(cmd::BackupDownload, 3, 1, d54), t);
         t += 5000;
         m.OnUsbReport(Packet(cmd::BackupDownload, 3, 3, d54), t);
       }},
      {"checksum wrong",
       [&](DeviceModel& m, qint64& t) {
         m.OnUsbReport(Packet(cmd::BackupDownload, 2, 1, d54), t);
         t += 5000;
         Report p = Packet(cmd::BackupDownload, 2, 2, d54.left(5));
         p[6 + p[5]] ^= 0x01;
         m.OnUsbReport(p, t);
       }},
      {"first pause too short",
       [&](DeviceModel& m, qint64& t) {
         m.OnUsbReport(Packet(cmd::BackupDownload, 2, 1, d54), t);
         t += 3000;
         m.OnUsbReport(Packet(cmd::BackupDownload, 2, 2, d54.left(5)), t);
       }},
      {"later pause too short",
       [&](DeviceModel& m, qint64& t) {
         m.OnUsbReport(Packet(cmd::BackupDownload, 3, 1, d54), t);
         t += 5000;
         m.OnUsbReport(Packet(cmd::BackupDownload, 3, 2, d54), t);
         t += 5;
         m.OnUsbReport(Packet(cmd::BackupDownload, 3, 3, d54.left(5)), t);
       }},
      {"short packet before the last",
       [&](DeviceModel& m, qint64& t) {
         m.OnUsbReport(Packet(cmd::BackupDownload, 2, 1, d54.left(20)), t);
         t += 5000;
         m.OnUsbReport(Packet(cmd::BackupDownload, 2, 2, d54.left(5)), t);
       }},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    DeviceModel m;
    const QByteArray before = m.BackupData();
    qint64 t = 0;
    c.send(m, t);
    const auto ack = Next(m, t);
    ASSERT_TRUE(ack);
    EXPECT_EQ(Frame(*ack), (Bytes{0x55, 0xAA, 0x02, 0xC4, 0x01, 0xA5, 0x93}));
    EXPECT_EQ(m.BackupData(), before);
    ASSERT_TRUE(m.LastUpload());
    EXPECT_FALSE(m.LastUpload()->reason.isEmpty());
  }
}

TEST(SimModel, ReadBackPacketisesThreeMillionBytes) {
  DeviceModel m;
  const QByteArray data = Pattern(3'000'000);
  ASSERT_TRUE(m.SetBackupData(data));
  m.OnUsbReport(Request(cmd::BackupReadBack), 100);

  QByteArray got;
  int packets = 0;
  qint64 lastDue = 0;
  while (const auto due = m.NextDueMs()) {
    lastDue = *due;
    const auto r = m.TakeDue(*due);
    ASSERT_TRUE(r);
    ASSERT_TRUE(HasReplyHeader(*r, cmd::BackupReadBack));
    const int count = (*r)[6] << 8 | (*r)[7];
    const int number = (*r)[8] << 8 | (*r)[9];
    ++packets;
    ASSERT_EQ(count, 55'556);
    ASSERT_EQ(number, packets);
    ASSERT_EQ(CheckUsbReply(*r, cmd::BackupReadBack), ReplyCheck::Valid);
    got.append(reinterpret_cast<const char*>(r->data() + 10), (*r)[5] - 4);
  }
  EXPECT_EQ(packets, 55'556);
  EXPECT_EQ(got, data);
  EXPECT_EQ(lastDue, 100 + 55'555);  // one report per millisecond
}

TEST(SimModel, ReadBackRateAndNewRequestEndsIt) {
  DeviceModel m;
  ASSERT_TRUE(m.SetBackupData(Pattern(54 * 10)));
  m.SetReadBackIntervalUs(250);
  m.OnUsbReport(Request(cmd::BackupReadBack), 0);
  int byOneMs = 0;
  while (m.TakeDue(1)) ++byOneMs;
  EXPECT_EQ(byOneMs, 5);  // packets at 0, 0.25, 0.5, 0.75 and 1 ms
  m.OnUsbReport(Request(cmd::ReadVersion), 2);
  const auto r = m.TakeDue(2);
  ASSERT_TRUE(r);
  EXPECT_EQ((*r)[4], cmd::ReadVersion);
  EXPECT_FALSE(m.NextDueMs());
}

TEST(SimModel, ReplyFaults) {
  DeviceModel m;
  m.Faults().dropReply = FaultCount::Times(1);
  m.OnUsbReport(Request(cmd::ReadVersion), 0);
  EXPECT_FALSE(m.NextDueMs());
  m.OnUsbReport(Request(cmd::ReadVersion), 10);
  EXPECT_TRUE(m.TakeDue(10));  // only one reply was to be dropped

  m.Faults().corruptChecksum = FaultCount::Times(1);
  m.OnUsbReport(Request(cmd::ReadFrequency), 20);
  auto r = m.TakeDue(20);
  ASSERT_TRUE(r);
  EXPECT_EQ(CheckUsbReply(*r, cmd::ReadFrequency), ReplyCheck::Bad);

  m.Faults().delayReply = FaultCount::Times(1);
  m.Faults().delayMs = 1500;
  m.OnUsbReport(Request(cmd::ReadFrequency), 30);
  EXPECT_FALSE(m.TakeDue(1529));
  EXPECT_TRUE(m.TakeDue(1530));

  m.Faults().strayReply = FaultCount::Always();
  m.OnUsbReport(Request(cmd::ReadVersion), 2000);
  r = m.TakeDue(2000);
  ASSERT_TRUE(r);
  EXPECT_EQ(CheckUsbReply(*r, cmd::ReadVersion), ReplyCheck::OtherCommand);
  r = m.TakeDue(2000);
  ASSERT_TRUE(r);
  EXPECT_EQ(CheckUsbReply(*r, cmd::ReadVersion), ReplyCheck::Valid);
  m.OnUsbReport(Request(cmd::ReadFrequency), 2001);  // the stray reply is never the one asked for
  EXPECT_EQ(CheckUsbReply(*m.TakeDue(2001), cmd::ReadFrequency), ReplyCheck::OtherCommand);
}

TEST(SimModel, RefuseAndStopReadBackFaults) {
  DeviceModel m;
  const QByteArray before = m.FirmwareImage();
  m.Faults().refuse = FaultCount::Times(1);
  qint64 now = 0;
  Upload(m, cmd::UsbUpgrade, Pattern(104), now);
  auto ack = m.TakeDue(now);
  ASSERT_TRUE(ack);
  EXPECT_EQ(Frame(*ack), (Bytes{0x55, 0xAA, 0x02, 0xC3, 0x01, 0xA5, 0x94}));
  EXPECT_EQ(m.FirmwareImage(), before);
  Upload(m, cmd::UsbUpgrade, Pattern(104), now);
  EXPECT_EQ((*m.TakeDue(now))[6], status::Accepted);

  ASSERT_TRUE(m.SetBackupData(Pattern(54 * 5)));
  m.Faults().stopReadBackAfter = 3;
  m.OnUsbReport(Request(cmd::BackupReadBack), now);
  int packets = 0;
  while (m.TakeDue(now + 1000)) ++packets;
  EXPECT_EQ(packets, 3);
}

TEST(SimModel, VanishesAfterKReports) {
  DeviceModel m;
  m.Faults().vanishAfterReports = 2;
  m.OnUsbReport(Request(cmd::ReadVersion), 0);
  EXPECT_FALSE(m.Vanished());
  m.OnUsbReport(Request(cmd::ReadVersion), 1);  // taken, never answered
  EXPECT_TRUE(m.Vanished());
  EXPECT_FALSE(m.TakeDue(100));  // the first reply was not read in time: gone with the device
  m.OnUsbReport(Request(cmd::ReadVersion), 2);
  EXPECT_EQ(m.ReportsTaken(), 2);
}

TEST(SimModel, LogsEveryReportWithItsTime) {
  DeviceModel m;
  std::vector<LogKind> seen;
  m.Log().SetSink([&](const LogEntry& e) { seen.push_back(e.kind); });
  m.OnUsbReport(Request(cmd::ReadVersion), 5);
  (void)m.TakeDue(7);
  std::vector<std::pair<LogKind, qint64>> reports;
  for (const auto& e : m.Log().Entries())
    if (e.kind != LogKind::Note) reports.emplace_back(e.kind, e.atMs);
  EXPECT_EQ(reports, (std::vector<std::pair<LogKind, qint64>>{{LogKind::FromHost, 5}, {LogKind::ToHost, 7}}));
  EXPECT_EQ(seen.size(), m.Log().Entries().size());
  EXPECT_EQ(DeviceLog::Format(m.Log().Entries().back(), 0).toStdString(),
            "        7 ms usb <dev  00 55 aa 02 c2 04 56 31 2e 30 52");  // cut after the checksum
}

}  // namespace
}  // namespace quorvin
