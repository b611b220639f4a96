#include "protocol/Frame.h"

namespace quorvin {

std::uint16_t ComputeChecksum(const std::uint8_t* bytes, std::size_t count) {
  std::uint16_t sum = 0;
  for (std::size_t i = 0; i < count; ++i) sum = static_cast<std::uint16_t>(sum + bytes[i]);
  return static_cast<std::uint16_t>(~sum);
}

bool VerifyChecksum(const std::uint8_t* bytes, std::size_t count) {
  if (count == 0) return false;
  const auto expected = static_cast<std::uint8_t>(ComputeChecksum(bytes, count - 1));
  return expected == bytes[count - 1];
}

QByteArray BuildBody(std::uint8_t command, std::span<const std::uint8_t> payload) {
  QByteArray body;
  body.reserve(static_cast<qsizetype>(payload.size() + 4));
  body.append(static_cast<char>(kDirRequest));
  body.append(static_cast<char>(command));
  body.append(static_cast<char>(static_cast<std::uint8_t>(payload.size())));
  for (auto b : payload) body.append(static_cast<char>(b));
  const auto* raw = reinterpret_cast<const std::uint8_t*>(body.constData());
  body.append(static_cast<char>(static_cast<std::uint8_t>(ComputeChecksum(raw, static_cast<std::size_t>(body.size())))));
  return body;
}

QByteArray BuildFrame(std::uint8_t command, std::span<const std::uint8_t> payload) {
  QByteArray frame;
  frame.append(static_cast<char>(kStart1));
  frame.append(static_cast<char>(kStart2));
  frame.append(BuildBody(command, payload));
  return frame;
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
