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
inline constexpr std::size_t kMaxUsbPayload = 58;   // checksum then sits in report byte 64
inline constexpr std::size_t kMaxUsbBody = 62;      // body occupies report bytes 3..64
using Report = std::array<std::uint8_t, kReportSize>;

// Sums `count` bytes in a 16-bit accumulator and returns its complement; the caller keeps the low
// 8 bits. Over direction..payload (count N + 3) this is the frame's checksum.
[[nodiscard]] std::uint16_t ComputeChecksum(const std::uint8_t* bytes, std::size_t count);

// True when the last of `count` bytes equals the low 8 bits of the complemented sum of the others.
[[nodiscard]] bool VerifyChecksum(const std::uint8_t* bytes, std::size_t count);

// Body = direction 0x01, command, length, payload, checksum.
[[nodiscard]] QByteArray BuildBody(std::uint8_t command, std::span<const std::uint8_t> payload);
// Whole frame (start bytes + body), as written to the serial link.
[[nodiscard]] QByteArray BuildFrame(std::uint8_t command, std::span<const std::uint8_t> payload);

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
