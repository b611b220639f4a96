#include "sim/model/UploadPacket.h"

namespace quorvin {

UploadPacket UsbUploadPacket(const Report& r) {
  UploadPacket p;
  p.command = r[4];
  p.length = r[5];
  p.pace = UsbUploadPaceFor(p.command);
  // A length byte past 58 would put the checksum outside the report.
  if (p.length < static_cast<int>(kPacketHeaderSize) || p.length > static_cast<int>(kMaxUsbPayload)) return p;
  p.payload = r.data() + 6;
  p.checksumOk = VerifyChecksum(r.data() + 3, static_cast<std::size_t>(p.length) + 4);
  return p;
}

UploadPacket SerialUploadPacket(const QByteArray& frame, bool checksumOk) {
  UploadPacket p;
  const auto* bytes = reinterpret_cast<const std::uint8_t*>(frame.constData());
  p.command = bytes[3];
  p.length = bytes[4];
  p.pace = kSerialUploadPace;
  p.checksumOk = checksumOk;
  // The frame was cut by its own length byte, so the payload is all there.
  if (p.length >= static_cast<int>(kPacketHeaderSize) && frame.size() >= p.length + kFrameOverhead)
    p.payload = bytes + 5;
  return p;
}

}  // namespace quorvin
