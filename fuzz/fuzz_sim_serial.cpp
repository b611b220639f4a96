// The virtual repeater's serial side against a host that writes any bytes, in any pieces, at any
// pace: it must find frames in the stream, answer only well-formed frames, and never stall.
//
// Input: a fault byte, a backup-size byte and a jitter byte (reply delay and byte gaps of a slow
// adapter); then pieces, each a delay byte (below 200:
// milliseconds; from 200: whole seconds), a length byte and that many bytes.
#include "FuzzInput.h"
#include "sim/model/SerialDevice.h"

namespace {

qint64 DelayMs(std::uint8_t b) { return b < 200 ? b : qint64{b - 199} * 1000; }

// The device's bytes must be whole frames back to back: 55 AA 02 command N payload checksum.
void CheckFrames(const QByteArray& out, bool checksumsMayBeOff) {
  using namespace quorvin;
  qsizetype at = 0;
  while (at < out.size()) {
    FUZZ_CHECK(out.size() - at >= 6);
    const auto* f = reinterpret_cast<const std::uint8_t*>(out.constData()) + at;
    FUZZ_CHECK(f[0] == kStart1 && f[1] == kStart2 && f[2] == kDirReply);
    const qsizetype total = f[4] + 6;
    FUZZ_CHECK(out.size() - at >= total);
    if (!checksumsMayBeOff) FUZZ_CHECK(VerifyChecksum(f + 2, static_cast<std::size_t>(total - 2)));
    at += total;
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace quorvin;
  fuzz::Input in(data, size);
  const std::uint8_t faults = in.Byte();
  const std::uint8_t backup = in.Byte();
  const std::uint8_t jitter = in.Byte();

  DeviceModel model;
  SerialDevice device(model);
  device.SetBaud(115200);
  DeviceFaults& f = model.Faults();
  if (faults & 0x01) f.dropReply = FaultCount::Times(1);
  if (faults & 0x02) f.corruptChecksum = FaultCount::Always();
  if (faults & 0x04) {
    f.delayReply = FaultCount::Always();
    f.delayMs = 150;
  }
  if (faults & 0x08) f.strayReply = FaultCount::Times(2);
  if (faults & 0x10) f.quietStatus = FaultCount::Always();
  if (faults & 0x20) f.stopReadBackAfter = faults >> 6;
  f.serialReplyDelayMaxMs = (jitter >> 4) * 10;
  f.serialByteGapMaxMs = jitter & 0x0F;
  QByteArray stored(backup * 29, '\0');
  for (qsizetype i = 0; i < stored.size(); ++i) stored[i] = static_cast<char>(i * 7);
  FUZZ_CHECK(model.SetBackupData(stored));

  qint64 now = 0;
  QByteArray out;
  while (!in.Empty()) {
    now += DelayMs(in.Byte());
    out += device.TakeDue(now);
    device.OnBytes(in.Bytes(in.Byte()), now);
  }
  now += 120'000;
  out += device.TakeDue(now);
  FUZZ_CHECK(!device.NextDueMs());
  CheckFrames(out, (faults & 0x02) != 0);
  return 0;
}
