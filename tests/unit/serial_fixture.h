#pragma once
// A serial operation against the scripted line on a virtual clock: the test queues the device's
// bytes at chosen times (from a responder that sees every write), runs the operation, which ends at
// once whatever its windows, and reads what went out and when, to the millisecond.

#include <gtest/gtest.h>

#include "ops/Operations.h"
#include "support/Languages.h"
#include "support/RecordingFeedback.h"
#include "support/ScriptedSerial.h"
#include "support/SerialFrames.h"

namespace quorvin::test {

struct SerialBench {
  explicit SerialBench(bool english = true)
      : env{port, {QStringLiteral("/dev/ttyTEST"), QStringLiteral("9600")}, fb, clock, TestLanguage(english)} {}

  // The device answers the host's `n`th write (from 1) with `reply`, `delayMs` after it.
  void AnswerWrite(int n, const QByteArray& reply, qint64 delayMs = 0) {
    port.responder = [this, n, reply, delayMs, writes = 0](const QByteArray&) mutable {
      if (++writes == n) port.QueueBytes(reply, delayMs);
    };
  }
  // The i-th write, and when it was made: the tool writes each frame whole.
  [[nodiscard]] QByteArray Frame(std::size_t i) const { return port.writes.at(i).bytes; }
  [[nodiscard]] qint64 WrittenAt(std::size_t i) const { return port.writes.at(i).atMs; }

  // However the operation ended, the port is closed and no progress window is left open.
  void ExpectClean() const {
    EXPECT_FALSE(port.IsOpen());
    if (fb.log.contains("progress: show")) {
      EXPECT_LT(fb.log.lastIndexOf("progress: show"), fb.log.lastIndexOf("progress: close"));
    }
  }

  VirtualClock clock{1000};
  ScriptedSerial port{clock};
  RecordingFeedback fb;
  SerialChannel env;
};

}  // namespace quorvin::test
