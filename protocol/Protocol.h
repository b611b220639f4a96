#pragma once
// The repeater's numbers in one table: how much data each packet carries, the pauses the device
// needs between packets, how long each answer may take, and the largest transfers. The host's
// operations and the virtual repeater both read them from here, so the pace the tool keeps and
// the pace the simulator insists on cannot drift apart. Commands, statuses and the frame itself
// are in Frame.h.

#include <QtGlobal>
#include <array>
#include <cstdint>

#include "protocol/Frame.h"

namespace quorvin {

// Packet count and number are 16-bit on both links.
inline constexpr int kMaxPacketCount = 65'535;

// --- USB link ------------------------------------------------------------------------------

// Data bytes per block-upload packet; only the last packet may carry fewer.
inline constexpr int kUsbFirmwarePacketData = 52;  // 0xC3, length byte 56
inline constexpr int kUsbBackupPacketData = 54;    // 0xC4, length byte 58: a full report
// A read-back packet (0xC5) carries at most this much.
inline constexpr int kUsbReadBackPacketData = 54;

// After the first packet the device prepares its memory and takes nothing for a while; after
// each later one it needs a short pause. The host reads nothing in between.
inline constexpr int kUsbFirstPauseFirmwareMs = 4000;
inline constexpr int kUsbFirstPauseBackupMs = 5000;
inline constexpr int kUsbPacketPauseMs = 50;

// A request's reply: each report read, and the whole wait with replies to other commands.
inline constexpr int kUsbWriteAttempts = 5;
inline constexpr int kUsbReplyTimeoutMs = 1000;
inline constexpr int kUsbReplyWindowMs = 5000;
// The one acknowledgement after the last upload packet.
inline constexpr int kUsbAckTimeoutMs = 5000;
// Read-back: the first packet answers the request; the later ones stream, one after the other.
inline constexpr int kUsbReadBackFirstMs = 5000;
inline constexpr int kUsbReadBackNextMs = 100;

// The largest image the device takes over USB; packet counts stay within 16 bits below it.
inline constexpr qint64 kMaxUsbImage = 3'000'000;

// How a block upload goes, on either link: the data bytes each packet carries (only the last may
// carry fewer) and the pauses the device needs between packets, in which the host reads nothing.
struct UploadPace {
  int dataPerPacket;
  int firstPauseMs;  // between packets 1 and 2
  int pauseMs;       // between every later two
};
// A USB block upload of `command`: 0xC3 firmware, anything else as 0xC4 backup data.
[[nodiscard]] constexpr UploadPace UsbUploadPaceFor(std::uint8_t command) {
  if (command == cmd::UsbUpgrade) return {kUsbFirmwarePacketData, kUsbFirstPauseFirmwareMs, kUsbPacketPauseMs};
  return {kUsbBackupPacketData, kUsbFirstPauseBackupMs, kUsbPacketPauseMs};
}

// --- Serial link ---------------------------------------------------------------------------

// Data bytes per transfer packet (0x61, 0xC4); only the last packet may carry fewer.
inline constexpr int kSerialPacketData = 128;
// A read-back packet (0xC5) carries at most this much.
inline constexpr int kSerialReadBackPacketData = 128;

// Before every transfer packet, the first too: the device's pace.
inline constexpr int kSerialPacketPauseMs = 20;
// A serial transfer, firmware (0x61) or backup data (0xC4): the same pause before every packet, so
// between packets 1 and 2 too.
inline constexpr UploadPace kSerialUploadPace{kSerialPacketData, kSerialPacketPauseMs, kSerialPacketPauseMs};
// After the last firmware packet the device writes its flash before it answers.
inline constexpr int kSerialUpgradeSettleMs = 200;

// The closing reply of a transfer, the version reply, and each read-back packet (counted from the
// request or the packet before).
inline constexpr int kSerialClosingWindowMs = 3000;
inline constexpr int kSerialVersionWindowMs = 2000;
inline constexpr int kSerialReadBackWindowMs = 3000;

// The largest file a serial transfer can number: 8,388,480 bytes.
inline constexpr qint64 kMaxSerialImage = qint64{kMaxPacketCount} * kSerialPacketData;

// --- Both links ----------------------------------------------------------------------------

// The working frequencies the device takes, in Hz.
inline constexpr qint32 kMinFrequency = 300'000'000;
inline constexpr qint32 kMaxFrequency = 900'000'000;

// How long a transfer's last progress line stays up before its outcome: presentation only, the
// device waits for nothing during it.
inline constexpr int kEndLineMs = 1000;

// --- Codecs --------------------------------------------------------------------------------

// Every numbered packet (uploads and read-backs, both links) begins its payload with the packet
// count and its own number, each 16 bits, high byte first.
inline constexpr std::size_t kPacketHeaderSize = 4;
struct PacketHeader {
  int count = 0;
  int number = 0;
};
constexpr void PutPacketHeader(std::uint8_t* at, int count, int number) {
  at[0] = static_cast<std::uint8_t>(count >> 8);
  at[1] = static_cast<std::uint8_t>(count);
  at[2] = static_cast<std::uint8_t>(number >> 8);
  at[3] = static_cast<std::uint8_t>(number);
}
[[nodiscard]] constexpr PacketHeader ReadPacketHeader(const std::uint8_t* at) {
  return {at[0] << 8 | at[1], at[2] << 8 | at[3]};
}

// The working frequency in Hz travels as 4 bytes, least significant first (0xC0, 0xC1).
[[nodiscard]] constexpr std::array<std::uint8_t, 4> FrequencyBytes(quint32 hz) {
  return {static_cast<std::uint8_t>(hz), static_cast<std::uint8_t>(hz >> 8), static_cast<std::uint8_t>(hz >> 16),
          static_cast<std::uint8_t>(hz >> 24)};
}
[[nodiscard]] constexpr quint32 FrequencyFromBytes(const std::uint8_t* at) {
  return quint32{at[0]} | quint32{at[1]} << 8 | quint32{at[2]} << 16 | quint32{at[3]} << 24;
}

}  // namespace quorvin
