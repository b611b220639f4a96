#pragma once
// One block-upload packet as the collector judges it, whatever link it came on: the thin part that
// knows the link's framing. Holds a view of the bytes it was read from; use it while they live.

#include <QByteArray>
#include <cstdint>

#include "protocol/Protocol.h"

namespace quorvin {

struct UploadPacket {
  std::uint8_t command = 0;
  int length = 0;  // the length byte: count, number and data
  // Count, number and data; null when the length byte leaves no room for count and number, or
  // puts the packet past what carried it.
  const std::uint8_t* payload = nullptr;
  bool checksumOk = false;
  UploadPace pace{};  // the link's, for this command

  [[nodiscard]] int DataBytes() const { return length - static_cast<int>(kPacketHeaderSize); }
  [[nodiscard]] const std::uint8_t* Data() const { return payload + kPacketHeaderSize; }
};

// A packet in a 65-byte USB report: 00 55 AA 01 command L count number data checksum.
[[nodiscard]] UploadPacket UsbUploadPacket(const Report& report);
// A whole serial frame as it came, 55 AA 01 command L count number data checksum, the checksum
// already checked by the caller.
[[nodiscard]] UploadPacket SerialUploadPacket(const QByteArray& frame, bool checksumOk);

}  // namespace quorvin
