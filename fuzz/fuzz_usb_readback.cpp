// The USB backup read-back against a device that sends anything: after the request, a stream of
// input reports, each as one delay byte (milliseconds after the previous report; over 100 means a
// missing packet) and 64 data bytes. The first input byte picks the language.
//
// Whatever comes, the earlier file survives every failure, a success writes exactly the bytes
// counted, and the progress window is closed at the end.
#include <QFile>
#include <cstring>

#include "FuzzInput.h"
#include "ops/Operations.h"
#include "support/Languages.h"
#include "support/RecordingFeedback.h"
#include "support/ScriptedHid.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace quorvin;
  fuzz::Input in(data, size);
  const bool english = (in.Byte() & 1) != 0;

  VirtualClock clock(1000);
  test::ScriptedHid hid(clock);
  test::RecordingFeedback fb;
  HidLink link(hid, fb, clock);
  std::vector<std::pair<qint64, Report>> stream;
  qint64 at = 0;
  while (!in.Empty()) {
    at += in.Byte();
    Report r{};
    const QByteArray bytes = in.Bytes(64);
    std::memcpy(r.data() + 1, bytes.constData(), static_cast<std::size_t>(bytes.size()));
    stream.emplace_back(at, r);
  }
  hid.responder = [&](const Report&) {
    for (const auto& [delay, r] : stream) hid.QueueReply(r, delay);
  };

  const QString path = fuzz::WorkDir().filePath(QStringLiteral("readback.bin"));
  const QByteArray earlier("an earlier backup");
  {
    QFile f(path);
    FUZZ_CHECK(f.open(QIODevice::WriteOnly) && f.write(earlier) == earlier.size());
  }
  UsbChannel env{link, fb, clock, test::TestLanguage(english)};
  const OpResult r = ReadBackup(env, path);

  QFile f(path);
  FUZZ_CHECK(f.open(QIODevice::ReadOnly));
  const QByteArray stored = f.readAll();
  if (r.Ok())
    FUZZ_CHECK(stored.size() == r.bytes);
  else
    FUZZ_CHECK(stored == earlier);
  FUZZ_CHECK(fuzz::ProgressClosed(fb.log));
  FUZZ_CHECK(hid.liveHandles <= 1);
  return 0;
}
