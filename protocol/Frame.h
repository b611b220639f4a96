#pragma once
// The command frame every exchange with the repeater uses, on both links:
//   55 AA | direction | command | length N | N payload bytes | checksum
// The checksum is the complement of the 8-bit sum of direction, command, length and payload.
// A "frame body" is the frame less its two start bytes; operations build bodies.

#include <QByteArray>
#include <array>
#include <cstddef>
#include <cstdint>
#include <span>

namespace quorvin {

inline constexpr std::uint8_t kStart1 = 0x55;
inline constexpr std::uint8_t kStart2 = 0xAA;
inline constexpr std::uint8_t kDirRequest = 0x01;
inline constexpr std::uint8_t kDirReply = 0x02;

namespace cmd {
inline constexpr std::uint8_t SerialUpgrade = 0x61;  // firmware packet, serial link
inline constexpr std::uint8_t SetFrequency = 0xC0;
inline constexpr std::uint8_t ReadFrequency = 0xC1;
inline constexpr std::uint8_t ReadVersion = 0xC2;
inline constexpr std::uint8_t UsbUpgrade = 0xC3;  // firmware packet, USB link
inline constexpr std::uint8_t BackupDownload = 0xC4;
inline constexpr std::uint8_t BackupReadBack = 0xC5;
inline constexpr std::uint8_t InitCallButtons = 0xC6;
}  // namespace cmd

namespace status {
inline constexpr std::uint8_t Accepted = 0x5A;
inline constexpr std::uint8_t Refused = 0xA5;
inline constexpr std::uint8_t SerialQuiet = 0x66;
}  // namespace status

// USB reports: byte 0 is the report ID, the frame starts at byte 1.
inline constexpr std::size_t kReportSize = 65;
inline constexpr std::size_t kMaxUsbPayload = 58;  // checksum then sits in report byte 64
inline constexpr std::size_t kMaxUsbBody = 62;     // body occupies report bytes 3..64
using Report = std::array<std::uint8_t, kReportSize>;

// A frame carries 6 bytes besides its payload: start bytes, direction, command, length, checksum.
inline constexpr int kFrameOverhead = 6;

// Sums `count` bytes in a 16-bit accumulator and returns its complement; the caller keeps the low
// 8 bits. Over direction..payload (count N + 3) this is the frame's checksum. constexpr so that
// fixed requests get theirs worked out here rather than written down by hand.
[[nodiscard]] constexpr std::uint16_t ComputeChecksum(const std::uint8_t* bytes, std::size_t count) {
  std::uint16_t sum = 0;
  for (std::size_t i = 0; i < count; ++i) sum = static_cast<std::uint16_t>(sum + bytes[i]);
  return static_cast<std::uint16_t>(~sum);
}

// True when the last of `count` bytes equals the low 8 bits of the complemented sum of the others.
[[nodiscard]] bool VerifyChecksum(const std::uint8_t* bytes, std::size_t count);

// Body = direction 0x01, command, length, payload, checksum.
[[nodiscard]] QByteArray BuildBody(std::uint8_t command, std::span<const std::uint8_t> payload);
// Whole frame (start bytes + body), as written to the serial link.
[[nodiscard]] QByteArray BuildFrame(std::uint8_t command, std::span<const std::uint8_t> payload);
// The same body for a payload of fixed size, without an allocation; usable at compile time.
template <std::size_t N>
[[nodiscard]] constexpr std::array<std::uint8_t, N + 4> RequestBody(std::uint8_t command,
                                                                    const std::array<std::uint8_t, N>& payload) {
  static_assert(N <= 255, "the length byte counts at most 255 payload bytes");
  std::array<std::uint8_t, N + 4> body{kDirRequest, command, static_cast<std::uint8_t>(N)};
  for (std::size_t i = 0; i < N; ++i) body[3 + i] = payload[i];
  body[N + 3] = static_cast<std::uint8_t>(ComputeChecksum(body.data(), N + 3));
  return body;
}
// 01 command 00 checksum: the requests that carry nothing.
[[nodiscard]] constexpr std::array<std::uint8_t, 4> EmptyRequestBody(std::uint8_t command) {
  return RequestBody(command, std::array<std::uint8_t, 0>{});
}

// The device's side: a whole reply frame 55 AA 02 command N payload checksum, as the serial link
// carries it, and the same frame in a zero-filled USB report (a payload past 58 bytes is cut).
[[nodiscard]] QByteArray BuildReplyFrame(std::uint8_t command, std::span<const std::uint8_t> payload);
[[nodiscard]] Report BuildReplyReport(std::uint8_t command, std::span<const std::uint8_t> payload);

// The bytes of a QByteArray as the builders above take them.
[[nodiscard]] inline std::span<const std::uint8_t> ByteSpan(const QByteArray& bytes) {
  return {reinterpret_cast<const std::uint8_t*>(bytes.constData()), static_cast<std::size_t>(bytes.size())};
}

enum class ReplyCheck {
  Valid,         // well-formed reply to the command asked for
  OtherCommand,  // well-formed reply to some other command
  Bad,           // report ID, start bytes, direction, length or checksum wrong
};

// Checks a reply held in a 65-byte input report. A length byte that would put the checksum past
// the report is a bad reply: nothing outside the report is read.
[[nodiscard]] ReplyCheck CheckUsbReply(const Report& report, std::uint8_t command);

// Only the header: report ID 0, 55 AA, direction 0x02 and the command (no checksum). Used where
// the device's later read-back packets are taken without their checksum.
[[nodiscard]] bool HasReplyHeader(const Report& report, std::uint8_t command);

}  // namespace quorvin
