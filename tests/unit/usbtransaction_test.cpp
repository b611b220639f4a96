#include "link/UsbTransaction.h"

#include <gtest/gtest.h>

#include "support/RecordingFeedback.h"
#include "support/ScriptedHid.h"

namespace quorvin {
namespace {

using test::MakeReport;

struct Transaction : ::testing::Test {
  VirtualClock clock;
  test::ScriptedHid hid{clock};
  test::RecordingFeedback fb;
  HidLink link{hid, fb, clock};
  const std::uint8_t version[4] = {0x01, 0xC2, 0x00, 0x3C};
};

TEST_F(Transaction, ReplyArrivesAndStaysInTheInputReport) {
  hid.responder = [&](const Report&) { hid.QueueFrame(0x02, 0xC2, {'V', '1', '.', '0'}, 5); };
  ASSERT_EQ(SendUsbCommand(link, true, 4, version), TxEnd::Ok);
  ASSERT_EQ(hid.written.size(), 1u);
  const Report& out = hid.written[0].report;
  const Report expected = [] {
    Report r{};
    const std::uint8_t head[] = {0x00, 0x55, 0xAA, 0x01, 0xC2, 0x00, 0x3C};
    std::copy(std::begin(head), std::end(head), r.begin());
    return r;
  }();
  EXPECT_EQ(out, expected);  // bytes 7..64 stay zero
  EXPECT_EQ(link.In()[4], 0xC2);
  EXPECT_EQ(link.In()[9], '0');
  EXPECT_TRUE(fb.log.isEmpty());  // the link never talks to the user
}

TEST_F(Transaction, RepliesToOtherCommandsAreSkipped) {
  hid.responder = [&](const Report&) {
    hid.QueueFrame(0x02, 0xC1, {0x80, 0xAC, 0xCF, 0x12}, 10);  // a late answer to something else
    hid.QueueFrame(0x02, 0xC6, {}, 900);
    hid.QueueFrame(0x02, 0xC2, {'V'}, 1800);  // each read has its own second
  };
  EXPECT_EQ(SendUsbCommand(link, true, 4, version), TxEnd::Ok);
  EXPECT_EQ(link.In()[6], 'V');
}

// A device that keeps answering something else, each reply well within a second, does not hold
// the transaction for ever: the whole wait ends as no reply.
TEST_F(Transaction, EndlessRepliesToOtherCommandsEndTheWait) {
  hid.responder = [&](const Report&) {
    for (int i = 1; i <= 200; ++i) hid.QueueFrame(0x02, 0xC1, {1, 2, 3, 4}, 200 * i);
  };
  const qint64 start = clock.NowMs();
  EXPECT_EQ(SendUsbCommand(link, true, 4, version), TxEnd::NoReply);
  EXPECT_EQ(clock.NowMs() - start, kReplyWindowMs);
}

// A stop request is seen within 100 ms of a read's wait, and ends the transaction as stopped.
TEST_F(Transaction, AStopRequestEndsTheWaitWithinATenthOfASecond) {
  hid.responder = [&](const Report&) { fb.cancel = true; };  // Ctrl+C as the request goes out
  const qint64 start = clock.NowMs();
  EXPECT_EQ(SendUsbCommand(link, true, 4, version), TxEnd::Stopped);
  EXPECT_LE(clock.NowMs() - start, kStopCheckMs);
}

TEST_F(Transaction, BadRepliesEndAtOnce) {
  const std::vector<std::function<Report()>> bad = {
      [] { return MakeReport(0x01, 0xC2, {}); },  // our own echo
      [] {
        Report r = MakeReport(0x02, 0xC2, {'V'});
        r[7] ^= 0x01;  // checksum off
        return r;
      },
      [] {
        Report r = MakeReport(0x02, 0xC2, {});
        r[5] = 60;  // claims more than a report holds
        return r;
      },
  };
  for (const auto& make : bad) {
    hid.ClearReplies();
    hid.responder = [&](const Report&) {
      hid.QueueReply(make());
      hid.QueueFrame(0x02, 0xC2, {'V'});  // never read
    };
    EXPECT_EQ(SendUsbCommand(link, true, 4, version), TxEnd::BadReply);
  }
}

TEST_F(Transaction, SilenceFailsAfterOneSecond) {
  EXPECT_EQ(SendUsbCommand(link, true, 4, version), TxEnd::NoReply);
  EXPECT_EQ(clock.NowMs(), 1000);
  EXPECT_FALSE(link.LinkUp());
}

TEST_F(Transaction, AbsentDeviceTriesFiveTimes) {
  hid.devices.clear();
  EXPECT_EQ(SendUsbCommand(link, true, 4, version), TxEnd::NotWritten);
  EXPECT_EQ(hid.enumerateCount, 5);
}

TEST_F(Transaction, WriteRetriesRecoverWithinFiveAttempts) {
  hid.failWrites = 4;
  EXPECT_EQ(SendUsbCommand(link, false, 4, version), TxEnd::Ok);
  EXPECT_EQ(hid.written.size(), 1u);
  EXPECT_EQ(link.In(), Report{});  // no reply awaited; the write cleared it
  hid.failWrites = 5;
  EXPECT_EQ(SendUsbCommand(link, false, 4, version), TxEnd::NotWritten);
}

TEST_F(Transaction, BodySizeLimits) {
  std::uint8_t body[63] = {};
  for (std::size_t i = 0; i < sizeof body; ++i) body[i] = static_cast<std::uint8_t>(i + 1);
  EXPECT_EQ(SendUsbCommand(link, false, 62, body), TxEnd::Ok);
  EXPECT_EQ(hid.written.back().report[64], 62);  // fills the report to its last byte
  EXPECT_EQ(SendUsbCommand(link, false, 63, body), TxEnd::BadBody);
  EXPECT_EQ(hid.written.size(), 1u);  // refused before anything is written
}

}  // namespace
}  // namespace quorvin
