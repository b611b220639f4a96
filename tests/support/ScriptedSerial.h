#pragma once
// A fake serial line for tests and fuzzers, on a VirtualClock: the serial operations run against it
// exactly as against a real port, but a 3000 ms reply window costs nothing. The test queues the
// device's bytes at chosen times (or from a responder that sees every write); a read waits on the
// clock for the next bytes due, up to its wait, and hands over everything due by then.

#include <QByteArray>
#include <deque>
#include <functional>
#include <optional>
#include <vector>

#include "host/Clock.h"
#include "link/SerialPort.h"

namespace quorvin::test {

class ScriptedSerial final : public SerialPort {
 public:
  explicit ScriptedSerial(VirtualClock& clock) : m_clock(clock) {}
  ~ScriptedSerial() override = default;

  // Bytes the device sends, due delayMs from now; later bytes queue behind earlier ones.
  void QueueBytes(const QByteArray& bytes, qint64 delayMs = 0);
  [[nodiscard]] std::size_t PendingChunks() const { return m_chunks.size(); }

  // Called with every write; queue the device's answer from here.
  std::function<void(const QByteArray&)> responder;
  // Everything written, and each write with the time it was made.
  QByteArray written;
  struct Sent {
    qint64 atMs;
    QByteArray bytes;
  };
  std::vector<Sent> writes;
  // Open raises with this text when set; a read raises with readFailure and readFault once the
  // clock reaches failReadsAtMs (by default: the line hangs up mid-reply, as a real port says).
  std::optional<QString> openFailure;
  std::optional<qint64> failReadsAtMs;
  QString readFailure = QStringLiteral("The serial port is no longer available (device removed or line hung up)");
  SerialFault readFault = SerialFault::HungUp;
  int opens = 0;
  int closes = 0;
  QString openedAt;
  qint32 speed = 0;

  void Open(const QString& location, qint32 speed) override;
  void Close() override;
  [[nodiscard]] bool IsOpen() const override { return m_open; }
  void Write(const char* data, qint64 count) override;
  [[nodiscard]] qint64 Read(char* buffer, qint64 max, int waitMs) override;

 private:
  struct Chunk {
    qint64 dueMs;
    QByteArray bytes;
  };
  VirtualClock& m_clock;
  std::deque<Chunk> m_chunks;
  bool m_open = false;
};

}  // namespace quorvin::test
