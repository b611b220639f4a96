// The serial operations' receive side against a line that brings anything: the bytes are gathered
// into replies by silence and checked as frames (version read, the closing reply of an upgrade
// and of a backup download, and the read-back's chunks).
//
// Input: one byte picks the operation and the language; then chunks, each a delay byte
// (milliseconds after the previous chunk), a length byte and that many bytes, sent once the
// operation's first frame has been written.
//
// Whatever comes, the operation ends, the port is closed, the progress window too, and a failed
// read-back leaves the earlier file as it was.
#include <QFile>

#include "FuzzInput.h"
#include "ops/Operations.h"
#include "support/Languages.h"
#include "support/RecordingFeedback.h"
#include "support/ScriptedSerial.h"

namespace {

QString Write(const QString& name, const QByteArray& bytes) {
  const QString path = quorvin::fuzz::WorkDir().filePath(name);
  QFile f(path);
  FUZZ_CHECK(f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size());
  return path;
}

QByteArray Read(const QString& path) {
  QFile f(path);
  return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace quorvin;
  fuzz::Input in(data, size);
  const std::uint8_t pick = in.Byte();
  const bool english = (pick & 0x80) != 0;

  VirtualClock clock(1000);
  test::ScriptedSerial port(clock);
  test::RecordingFeedback fb;
  std::vector<std::pair<qint64, QByteArray>> chunks;
  while (!in.Empty()) {
    const qint64 delay = in.Byte();
    chunks.emplace_back(delay, in.Bytes(in.Byte()));
  }
  bool answered = false;
  port.responder = [&](const QByteArray&) {
    if (answered) return;
    answered = true;
    qint64 at = 0;
    for (const auto& [delay, bytes] : chunks) port.QueueBytes(bytes, at += delay);
  };

  SerialChannel env{
      port, {QStringLiteral("/dev/ttyFUZZ"), QStringLiteral("115200")}, fb, clock, test::TestLanguage(english)};
  const QByteArray earlier("an earlier backup");
  const QString image = Write(QStringLiteral("image.bin"), QByteArray(100, '\x5A'));  // one packet
  OpResult r;
  switch (pick % 4) {
    case 0:
      r = ReadVersion(env);
      // At most 255 bytes, each shown as one character or, a control character, as \xHH.
      if (r.Ok()) FUZZ_CHECK(r.version.size() <= 4 * 255 && !r.version.contains(QLatin1Char('\n')));
      break;
    case 1:
      r = Upgrade(env, image);
      break;
    case 2:
      r = DownloadBackup(env, image);
      break;
    case 3: {
      const QString path = Write(QStringLiteral("serial-readback.bin"), earlier);
      r = ReadBackup(env, path);
      const QByteArray stored = Read(path);
      if (r.Ok())
        FUZZ_CHECK(stored.size() == r.bytes);
      else
        FUZZ_CHECK(stored == earlier);
      break;
    }
  }
  FUZZ_CHECK(!port.IsOpen());
  FUZZ_CHECK(fuzz::ProgressClosed(fb.log));
  return 0;
}
