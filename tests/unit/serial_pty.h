#pragma once
// A pseudo-terminal pair for the serial tests: the code under test opens the slave side by its
// path exactly as it would open a real port, and the test plays the device on the master side.
// A pty has no baud timing, so the test paces the device's bytes itself.

#include <QByteArray>
#include <QString>
#include <QThread>
#include <functional>
#include <initializer_list>

#include "host/Clock.h"
#include "link/SerialPort.h"
#include "ops/Operations.h"
#include "support/Languages.h"
#include "support/RecordingFeedback.h"

namespace quorvin::test {

class PtyDevice {
 public:
  PtyDevice();
  ~PtyDevice();
  PtyDevice(const PtyDevice&) = delete;
  PtyDevice& operator=(const PtyDevice&) = delete;

  [[nodiscard]] QString SlavePath() const { return m_slavePath; }

  // Whatever the host sent, up to `count` bytes, waiting at most timeoutMs in all.
  QByteArray ReadExactly(int count, int timeoutMs);
  // One command frame: the five header bytes, then the length byte's payload and the checksum.
  QByteArray ReadFrame(int timeoutMs = 3000);
  // Bytes until the line has been quiet for quietMs.
  QByteArray ReadUntilQuiet(int quietMs);
  void Write(const QByteArray& bytes);
  // Ends the master side: the host sees the line hang up.
  void HangUp();

 private:
  int m_master = -1;
  int m_slave = -1;  // held open so the master keeps working while the host's port is closed
  QString m_slavePath;
};

// Bytes from a list of values.
QByteArray Bytes(std::initializer_list<int> values);
// The bytes with a checksum by the frame rule appended (over everything after the start bytes),
// whatever their length byte claims.
QByteArray Sealed(const QByteArray& bytes);
// A device frame 55 AA dir cmd N payload checksum, the checksum by the frame rule.
QByteArray DeviceFrame(int direction, int command, const QByteArray& payload);
// A read-back packet: count and number high byte first, then the data.
QByteArray ReadBackPacket(int count, int number, const QByteArray& data);

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
