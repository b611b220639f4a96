// The virtual repeater's USB side against a host that writes anything: output reports in any
// order and at any pace, with the device's faults armed as the input says.
//
// Input: a fault byte, a vanish byte and a backup-size byte; then reports, each a delay byte
// (below 200: milliseconds; from 200: whole seconds, so upload pauses can be met) and the 65
// report bytes, report ID first.
//
// Whatever the host writes, every report the device sends is a well-formed reply (unless it was
// told to corrupt checksums), and a vanished device sends nothing.
#include <cstring>

#include "FuzzInput.h"
#include "sim/model/DeviceModel.h"

namespace {

qint64 DelayMs(std::uint8_t b) { return b < 200 ? b : qint64{b - 199} * 1000; }

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace quorvin;
  fuzz::Input in(data, size);
  const std::uint8_t faults = in.Byte();
  const std::uint8_t vanish = in.Byte();
  const std::uint8_t backup = in.Byte();

  DeviceModel model;
  DeviceFaults& f = model.Faults();
  if (faults & 0x01) f.dropReply = FaultCount::Times(1);
  if (faults & 0x02) f.corruptChecksum = FaultCount::Always();
  if (faults & 0x04) {
    f.delayReply = FaultCount::Always();
    f.delayMs = 150;
  }
  if (faults & 0x08) f.strayReply = FaultCount::Times(2);
  if (faults & 0x10) f.refuse = FaultCount::Always();
  if (faults & 0x20) f.stopReadBackAfter = faults >> 6;
  if (vanish & 0x80) f.vanishAfterReports = vanish & 0x7F;
  QByteArray stored(backup * 13, '\0');
  for (qsizetype i = 0; i < stored.size(); ++i) stored[i] = static_cast<char>(i);
  FUZZ_CHECK(model.SetBackupData(stored));
  const bool corrupting = (faults & 0x02) != 0;

  qint64 now = 0;
  auto drain = [&] {
    while (const auto r = model.TakeDue(now)) {
      FUZZ_CHECK(!model.Vanished());
      if (!corrupting) FUZZ_CHECK(CheckUsbReply(*r, (*r)[4]) == ReplyCheck::Valid);
    }
  };
  while (!in.Empty()) {
    now += DelayMs(in.Byte());
    drain();
    Report r{};
    const QByteArray bytes = in.Bytes(kReportSize);
    std::memcpy(r.data(), bytes.constData(), static_cast<std::size_t>(bytes.size()));
    model.OnUsbReport(r, now);
  }
  now += 120'000;  // long enough for any read-back still under way
  drain();
  if (model.Vanished()) FUZZ_CHECK(!model.NextDueMs());
  return 0;
}
