// The in-process repeater behind the HID seam, driven through HidLink and SendUsbCommand on a
// virtual clock: the tool's view of each answer and each fault.

#include <gtest/gtest.h>

#include "link/UsbTransaction.h"
#include "sim/InProcessBackend.h"
#include "support/RecordingFeedback.h"

namespace quorvin {
namespace {

const std::uint8_t kVersionBody[] = {0x01, 0xC2, 0x00, 0x3C};
const std::uint8_t kReadBackBody[] = {0x01, 0xC5, 0x00, 0x39};

struct Bench {
  VirtualClock clock{1000};
  InProcessBackend backend{clock};
  test::RecordingFeedback fb;
  HidLink link{backend, fb, clock};

  TxEnd Send() { return SendUsbCommand(link, true, sizeof kVersionBody, kVersionBody); }
  bool Version() { return Send() == TxEnd::Ok; }
  QByteArray ReplyPayload() const {
    return QByteArray(reinterpret_cast<const char*>(link.In().data() + 6), link.In()[5]);
  }
};

TEST(InProcessBackend, ServesTheRepeaterThroughTheLink) {
  Bench b;
  const auto found = b.backend.Enumerate();
  ASSERT_EQ(found.size(), 1u);
  EXPECT_EQ(found[0].vendorId, 0x0483);
  EXPECT_EQ(found[0].productId, 0x1234);

  const qint64 start = b.clock.NowMs();
  ASSERT_TRUE(b.Version());
  EXPECT_EQ(b.ReplyPayload(), QByteArray("V1.0"));
  EXPECT_EQ(b.link.In()[0], 0x00);
  EXPECT_EQ(b.clock.NowMs(), start);  // the reply was due at once: no time passes
  EXPECT_TRUE(b.fb.Boxes().isEmpty());

  // What the device stores lives as long as the backend.
  b.backend.WithModel([](DeviceModel& m) { m.SetFrequency(433'920'000); });
  const std::uint8_t readFreq[] = {0x01, 0xC1, 0x00, 0x3D};
  ASSERT_EQ(SendUsbCommand(b.link, true, sizeof readFreq, readFreq), TxEnd::Ok);
  EXPECT_EQ(b.ReplyPayload(), QByteArray("\x00\x18\xdd\x19", 4));
}

TEST(InProcessBackend, ReadsFollowTheClock) {
  Bench b;
  b.backend.WithModel([](DeviceModel& m) {
    m.SetReadBackIntervalUs(3000);
    return m.SetBackupData(QByteArray(54 * 3, 'x'));
  });
  std::unique_ptr<HidHandle> h;
  ASSERT_EQ(b.backend.Open(InProcessBackend::kPath, h), HidOpen::Ok);
  Report request{};
  std::copy(std::begin(kReadBackBody), std::end(kReadBackBody), request.begin() + 3);
  request[1] = 0x55;
  request[2] = 0xAA;
  ASSERT_EQ(h->Write(request.data(), request.size(), 300), HidIo::Ok);

  std::uint8_t data[64];
  const qint64 t0 = b.clock.NowMs();
  ASSERT_EQ(h->Read(data, sizeof data, 100), HidIo::Ok);
  EXPECT_EQ(data[0], 0x55);  // data bytes only: the report ID is the link's business
  EXPECT_EQ(data[8], 1);     // packet number low byte
  ASSERT_EQ(h->Read(data, sizeof data, 100), HidIo::Ok);
  EXPECT_EQ(b.clock.NowMs(), t0 + 3);  // the second packet was due 3 ms later
  EXPECT_EQ(h->Read(data, sizeof data, 2), HidIo::Timeout);
  EXPECT_EQ(b.clock.NowMs(), t0 + 5);  // a time-out costs exactly its time
  ASSERT_EQ(h->Read(data, sizeof data, 100), HidIo::Ok);
  EXPECT_EQ(data[8], 3);
  EXPECT_EQ(h->Read(data, sizeof data, 100), HidIo::Timeout);
}

TEST(InProcessBackend, ReportsDueWhileClosedAreNotDeliveredToTheNextOpen) {
  Bench b;
  std::unique_ptr<HidHandle> h;
  ASSERT_EQ(b.backend.Open(InProcessBackend::kPath, h), HidOpen::Ok);
  Report request{0x00, 0x55, 0xAA, 0x01, 0xC2, 0x00, 0x3C};
  ASSERT_EQ(h->Write(request.data(), request.size(), 300), HidIo::Ok);
  h.reset();
  ASSERT_EQ(b.backend.Open(InProcessBackend::kPath, h), HidOpen::Ok);
  std::uint8_t data[64];
  EXPECT_EQ(h->Read(data, sizeof data, 1000), HidIo::Timeout);
}

TEST(InProcessBackend, FaultsEndTheTransactionAsTheToolExpects) {
  struct Case {
    const char* what;
    std::function<void(DeviceFaults&)> arm;
    TxEnd end;
  };
  const std::vector<Case> cases = {
      {"drop", [](DeviceFaults& f) { f.dropReply = FaultCount::Times(1); }, TxEnd::NoReply},
      {"corrupt", [](DeviceFaults& f) { f.corruptChecksum = FaultCount::Times(1); }, TxEnd::BadReply},
      {"late beyond the read time-out",
       [](DeviceFaults& f) {
         f.delayReply = FaultCount::Always();
         f.delayMs = 1001;
       },
       TxEnd::NoReply},
      {"late within the read time-out",
       [](DeviceFaults& f) {
         f.delayReply = FaultCount::Always();
         f.delayMs = 1000;
       },
       TxEnd::Ok},
      {"stray reply first is skipped", [](DeviceFaults& f) { f.strayReply = FaultCount::Always(); }, TxEnd::Ok},
      {"vanish on the request", [](DeviceFaults& f) { f.vanishAfterReports = 1; }, TxEnd::NoReply},
      {"gone from the start", [](DeviceFaults& f) { f.vanishAfterReports = 0; }, TxEnd::NotWritten},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    Bench b;
    b.backend.WithModel([&](DeviceModel& m) { c.arm(m.Faults()); });
    EXPECT_EQ(b.Send(), c.end);
  }
}

TEST(InProcessBackend, OtherIdsAndAVanishedDeviceAreNotLinked) {
  Bench b;
  b.backend.WithModel([](DeviceModel& m) { m.SetIds(0x0483, 0x5750); });
  EXPECT_FALSE(b.link.FindHidDevice());
  EXPECT_FALSE(b.link.SawMatchingDevice());

  Bench gone;
  gone.backend.WithModel([](DeviceModel& m) { m.Faults().vanishAfterReports = 1; });
  ASSERT_TRUE(gone.link.FindHidDevice());
  EXPECT_EQ(gone.Send(), TxEnd::NoReply);
  EXPECT_TRUE(gone.backend.Enumerate().empty());
  EXPECT_FALSE(gone.link.FindHidDevice());
  EXPECT_EQ(gone.Send(), TxEnd::NotWritten);
}

}  // namespace
}  // namespace quorvin
