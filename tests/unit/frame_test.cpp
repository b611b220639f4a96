#include "protocol/Frame.h"

#include <gtest/gtest.h>

#include "support/ScriptedHid.h"

namespace quorvin {
namespace {

std::vector<std::uint8_t> Bytes(const QByteArray& a) { return {a.begin(), a.end()}; }

TEST(Frame, FixedRequestsCarryTheirChecksums) {
  // No-payload requests: the checksum is ~(0x01 + command).
  EXPECT_EQ(Bytes(BuildBody(cmd::ReadFrequency, {})), (std::vector<std::uint8_t>{0x01, 0xC1, 0x00, 0x3D}));
  EXPECT_EQ(Bytes(BuildBody(cmd::ReadVersion, {})), (std::vector<std::uint8_t>{0x01, 0xC2, 0x00, 0x3C}));
  EXPECT_EQ(Bytes(BuildBody(cmd::BackupReadBack, {})), (std::vector<std::uint8_t>{0x01, 0xC5, 0x00, 0x39}));
  EXPECT_EQ(Bytes(BuildBody(cmd::InitCallButtons, {})), (std::vector<std::uint8_t>{0x01, 0xC6, 0x00, 0x38}));
}

TEST(Frame, FrequencyRequestAndSerialFrames) {
  const std::uint8_t hz[] = {0x80, 0xAC, 0xCF, 0x12};  // 315600000, least significant first
  EXPECT_EQ(Bytes(BuildBody(cmd::SetFrequency, hz)),
            (std::vector<std::uint8_t>{0x01, 0xC0, 0x04, 0x80, 0xAC, 0xCF, 0x12, 0x2D}));
  const std::uint8_t packet[] = {0x00, 0x01, 0x00, 0x01, 0x01, 0x02, 0x03};
  EXPECT_EQ(Bytes(BuildFrame(cmd::SerialUpgrade, packet)),
            (std::vector<std::uint8_t>{0x55, 0xAA, 0x01, 0x61, 0x07, 0x00, 0x01, 0x00, 0x01, 0x01, 0x02, 0x03, 0x8E}));
}

TEST(Frame, ChecksumVerification) {
  const std::uint8_t ack[] = {0x02, 0xC3, 0x01, 0x5A, 0xDF};
  EXPECT_TRUE(VerifyChecksum(ack, sizeof ack));
  std::uint8_t offByOne[] = {0x02, 0xC3, 0x01, 0x5A, 0xE0};
  EXPECT_FALSE(VerifyChecksum(offByOne, sizeof offByOne));
  EXPECT_FALSE(VerifyChecksum(ack, 0));
  // The 16-bit accumulator's complement keeps only its low byte meaningful.
  const std::uint8_t big[] = {0xFF, 0xFF, 0xFF};
  EXPECT_EQ(static_cast<std::uint8_t>(ComputeChecksum(big, 3)), 0x02);
}

TEST(Frame, UsbReplyValidation) {
  using test::MakeReport;
  EXPECT_EQ(CheckUsbReply(MakeReport(0x02, 0xC3, {0x5A}), 0xC3), ReplyCheck::Valid);
  EXPECT_EQ(MakeReport(0x02, 0xC4, {0x5A})[7], 0xDE);
  EXPECT_EQ(CheckUsbReply(MakeReport(0x02, 0xC4, {0x5A}), 0xC3), ReplyCheck::OtherCommand);
  // An echo of the request is not a reply.
  EXPECT_EQ(CheckUsbReply(MakeReport(0x01, 0xC3, {0x5A}), 0xC3), ReplyCheck::Bad);
  Report r = MakeReport(0x02, 0xC2, {'V', '1'});
  r[8] = static_cast<std::uint8_t>(r[8] + 1);
  EXPECT_EQ(CheckUsbReply(r, 0xC2), ReplyCheck::Bad);
  r = MakeReport(0x02, 0xC2, {});
  r[0] = 0x01;
  EXPECT_EQ(CheckUsbReply(r, 0xC2), ReplyCheck::Bad);
  r = MakeReport(0x02, 0xC2, {});
  r[1] = 0x54;
  EXPECT_EQ(CheckUsbReply(r, 0xC2), ReplyCheck::Bad);
}

TEST(Frame, LengthAtAndPastTheReportEnd) {
  std::vector<std::uint8_t> payload(58);
  for (std::size_t i = 0; i < payload.size(); ++i) payload[i] = static_cast<std::uint8_t>(i * 7);
  Report full = test::MakeReport(0x02, 0xC5, payload);
  EXPECT_EQ(CheckUsbReply(full, 0xC5), ReplyCheck::Valid);  // checksum in byte 64
  // A length byte that puts the checksum outside the report: bad, and nothing past byte 64 is read.
  for (int n : {59, 60, 255}) {
    Report r = full;
    r[5] = static_cast<std::uint8_t>(n);
    EXPECT_EQ(CheckUsbReply(r, 0xC5), ReplyCheck::Bad) << n;
  }
}

}  // namespace
}  // namespace quorvin
