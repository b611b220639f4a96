#pragma once
// Serial operations on a worker thread against a pseudo-terminal (support/PtyDevice.h), the test
// playing the device on its master side. A pty has no baud timing, so the test paces the device's
// bytes itself.

#include <QByteArray>
#include <QString>
#include <QThread>
#include <functional>

#include "host/Clock.h"
#include "link/SerialPort.h"
#include "ops/Operations.h"
#include "support/Languages.h"
#include "support/PtyDevice.h"
#include "support/RecordingFeedback.h"
#include "support/SerialFrames.h"

namespace quorvin::test {

// Runs fn on a thread started by Qt and waits for it: the port belongs to the thread that opens
// it, and only Qt's own threads can serve it (the test runner's main thread has no Qt event
// dispatcher).
void OnQtThread(const std::function<void()>& fn);

// Runs one serial operation on a worker thread, as the window does, while the test thread plays
// the device.
class SerialRun {
 public:
  explicit SerialRun(bool english = true)
      : env{port, {device.SlavePath(), QStringLiteral("9600")}, fb, clock, TestLanguage(english)} {}
  ~SerialRun() { (void)Finish(); }

  void Start(std::function<OpResult(Channel&)> op);
  OpResult Finish();
  [[nodiscard]] qint64 ElapsedMs() const { return m_endMs - m_startMs; }
  [[nodiscard]] qint64 StartMs() const { return m_startMs; }

  PtyDevice device;
  SerialPort port;
  RecordingFeedback fb;
  RealClock clock;
  SerialChannel env;
  bool portOpenAfter = true;

 private:
  QThread* m_thread = nullptr;
  OpResult m_result;
  qint64 m_startMs = 0;
  qint64 m_endMs = 0;
};

}  // namespace quorvin::test
