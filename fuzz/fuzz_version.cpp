// The version text as the device may send it: any bytes as the payload of a well-formed version
// reply, over USB (at most 58 bytes) and over the serial link (up to 255), decoded into the text
// shown to the user. The first input byte picks the language.
#include "FuzzInput.h"
#include "ops/Operations.h"
#include "protocol/VersionText.h"
#include "support/Languages.h"
#include "support/RecordingFeedback.h"
#include "support/ScriptedHid.h"
#include "support/ScriptedSerial.h"

namespace {

void OverUsb(bool english, const QByteArray& text) {
  using namespace quorvin;
  VirtualClock clock(1000);
  test::ScriptedHid hid(clock);
  test::RecordingFeedback fb;
  HidLink link(hid, fb, clock);
  const std::vector<std::uint8_t> payload(text.begin(), text.begin() + std::min<qsizetype>(text.size(), 58));
  hid.responder = [&](const Report& r) { hid.QueueFrame(kDirReply, r[4], payload, 3); };
  UsbChannel env{link, fb, clock, test::TestLanguage(english)};
  const OpResult r = ReadVersion(env);
  FUZZ_CHECK(r.Ok());
  // One character per byte at most, up to the first zero byte, a control character shown as \xHH.
  FUZZ_CHECK(r.version.size() <= 4 * static_cast<qsizetype>(payload.size()));
  FUZZ_CHECK(!r.version.contains(QLatin1Char('\n')) && !r.version.contains(QChar(0x1B)));
  FUZZ_CHECK(fuzz::ProgressClosed(fb.log));
}

void OverSerial(bool english, const QByteArray& text) {
  using namespace quorvin;
  VirtualClock clock(1000);
  test::ScriptedSerial port(clock);
  test::RecordingFeedback fb;
  const QByteArray payload = text.left(255);
  QByteArray frame("\x55\xAA\x02\xC2", 4);
  frame.append(static_cast<char>(payload.size())).append(payload);
  frame.append(static_cast<char>(ComputeChecksum(reinterpret_cast<const std::uint8_t*>(frame.constData()) + 2,
                                                 static_cast<std::size_t>(frame.size() - 2))));
  port.responder = [&](const QByteArray&) { port.QueueBytes(frame, 5); };
  SerialChannel env{
      port, {QStringLiteral("/dev/ttyFUZZ"), QStringLiteral("9600")}, fb, clock, test::TestLanguage(english)};
  const OpResult r = ReadVersion(env);
  FUZZ_CHECK(r.Ok());
  FUZZ_CHECK(r.version.size() <= 4 * payload.size());
  FUZZ_CHECK(!port.IsOpen());
  FUZZ_CHECK(fuzz::ProgressClosed(fb.log));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  quorvin::fuzz::Input in(data, size);
  const bool english = (in.Byte() & 1) != 0;
  const QByteArray text = in.Bytes(size);
  // The decoding alone, on any bytes at all: never more characters than bytes.
  FUZZ_CHECK(quorvin::DecodeVersion(text).size() <= text.size());
  OverUsb(english, text);
  OverSerial(english, text);
  return 0;
}
