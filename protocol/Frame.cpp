#include "protocol/Frame.h"

#include <algorithm>

namespace quorvin {

bool VerifyChecksum(const std::uint8_t* bytes, std::size_t count) {
  if (count == 0) return false;
  const auto expected = static_cast<std::uint8_t>(ComputeChecksum(bytes, count - 1));
  return expected == bytes[count - 1];
}

namespace {

QByteArray BodyFor(std::uint8_t direction, std::uint8_t command, std::span<const std::uint8_t> payload) {
  QByteArray body;
  body.reserve(static_cast<qsizetype>(payload.size() + 4));
  body.append(static_cast<char>(direction));
  body.append(static_cast<char>(command));
  body.append(static_cast<char>(static_cast<std::uint8_t>(payload.size())));
  for (auto b : payload) body.append(static_cast<char>(b));
  const auto* raw = reinterpret_cast<const std::uint8_t*>(body.constData());
  body.append(
      static_cast<char>(static_cast<std::uint8_t>(ComputeChecksum(raw, static_cast<std::size_t>(body.size())))));
  return body;
}

QByteArray FrameFor(std::uint8_t direction, std::uint8_t command, std::span<const std::uint8_t> payload) {
  QByteArray frame;
  frame.append(static_cast<char>(kStart1));
  frame.append(static_cast<char>(kStart2));
  frame.append(BodyFor(direction, command, payload));
  return frame;
}

}  // namespace

QByteArray BuildBody(std::uint8_t command, std::span<const std::uint8_t> payload) {
  return BodyFor(kDirRequest, command, payload);
}

QByteArray BuildFrame(std::uint8_t command, std::span<const std::uint8_t> payload) {
  return FrameFor(kDirRequest, command, payload);
}

QByteArray BuildReplyFrame(std::uint8_t command, std::span<const std::uint8_t> payload) {
  return FrameFor(kDirReply, command, payload);
}

Report BuildReplyReport(std::uint8_t command, std::span<const std::uint8_t> payload) {
  const QByteArray frame = FrameFor(kDirReply, command, payload.first(std::min(payload.size(), kMaxUsbPayload)));
  Report r{};  // report ID 0, zero padding after the frame
  std::copy(frame.begin(), frame.end(), r.begin() + 1);
  return r;
}

bool HasReplyHeader(const Report& report, std::uint8_t command) {
  return report[0] == 0x00 && report[1] == kStart1 && report[2] == kStart2 && report[3] == kDirReply &&
         report[4] == command;
}

ReplyCheck CheckUsbReply(const Report& report, std::uint8_t command) {
  if (report[0] != 0x00 || report[1] != kStart1 || report[2] != kStart2 || report[3] != kDirReply)
    return ReplyCheck::Bad;
  const std::size_t n = report[5];
  if (n > kMaxUsbPayload) return ReplyCheck::Bad;  // checksum would lie outside the report
  // Bytes 3..N+5 are summed; the checksum is byte N+6.
  if (!VerifyChecksum(report.data() + 3, n + 4)) return ReplyCheck::Bad;
  return report[4] == command ? ReplyCheck::Valid : ReplyCheck::OtherCommand;
}

}  // namespace quorvin
