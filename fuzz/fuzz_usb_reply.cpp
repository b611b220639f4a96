// Replies from the device as the USB transaction sees them: the first byte picks the command asked
// for, the rest is a stream of 64-byte input reports (without report ID) fed to SendUsbCommand.
#include <cstring>

#include "link/UsbTransaction.h"
#include "support/RecordingFeedback.h"
#include "support/ScriptedHid.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace quorvin;
  if (size < 1) return 0;
  const std::uint8_t command = data[0];
  ++data;
  --size;

  // Whole-report validation on the first 64 bytes.
  Report first{};
  std::memcpy(first.data() + 1, data, std::min<std::size_t>(size, 64));
  (void)CheckUsbReply(first, command);
  (void)HasReplyHeader(first, command);

  VirtualClock clock;
  test::ScriptedHid hid(clock);
  test::RecordingFeedback fb;
  HidLink link(hid, fb, clock);
  hid.responder = [&](const Report&) {
    for (std::size_t off = 0; off < size; off += 64) {
      Report r{};
      std::memcpy(r.data() + 1, data + off, std::min<std::size_t>(64, size - off));
      hid.QueueReply(r, 1);
    }
  };
  const std::uint8_t body[4] = {0x01, command, 0x00, static_cast<std::uint8_t>(~(0x01 + command))};
  (void)SendUsbCommand(link, true, sizeof body, body);
  return 0;
}
