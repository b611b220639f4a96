// A recording handed to quorvin-sim --replay, as a support case may bring it: cut short, edited by
// hand, or not a recording at all. Whatever parses is then played against host bytes taken from
// its own host events, split at odd places, and against a stray byte.
#include <QByteArray>

#include "protocol/Recording.h"
#include "sim/model/Replay.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace quorvin;
  const QByteArray text(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
  Recording recording;
  QString error;
  if (!ParseRecording(text, recording, &error)) {
    if (error.isEmpty()) __builtin_trap();  // a refusal always says where and why
    return 0;
  }
  Replay replay(recording);
  qint64 now = 0;
  for (const RecordedEvent& e : recording.events) {
    if (!e.fromHost) continue;
    const qsizetype cut = e.bytes.size() / 3;
    (void)replay.OnHost(e.bytes.left(cut), now);
    (void)replay.OnHost(e.bytes.mid(cut), now += 7);
  }
  (void)replay.OnHost(QByteArrayLiteral("\x55"), now);
  return 0;
}
