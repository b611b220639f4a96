#pragma once
// A pseudo-terminal pair for the tests that need a real serial port: the code under test opens the
// slave side by its path exactly as it would open a real port, and the test plays the device on the
// master side. A pty has no baud timing. POSIX only.

#include <QByteArray>
#include <QString>
#include <atomic>
#include <thread>

namespace quorvin::test {

class PtyDevice {
 public:
  PtyDevice();
  ~PtyDevice();
  PtyDevice(const PtyDevice&) = delete;
  PtyDevice& operator=(const PtyDevice&) = delete;

  // False when the system gave no pseudo-terminal.
  [[nodiscard]] bool Ok() const { return m_slave >= 0; }
  [[nodiscard]] QString SlavePath() const { return m_slavePath; }

  // Whatever the host sent, up to `count` bytes, waiting at most timeoutMs in all.
  QByteArray ReadExactly(int count, int timeoutMs);
  // False when the bytes could not all be written.
  bool Write(const QByteArray& bytes);
  // Ends the master side: the host sees the line hang up.
  void HangUp();

  // From a thread of its own (for a test whose own thread runs the window): waits for
  // `requestBytes` bytes, keeps them in `request`, then sends `reply` and sets `answered`.
  void AnswerOnce(int requestBytes, QByteArray reply);
  QByteArray request;
  std::atomic<bool> answered{false};

 private:
  int m_master = -1;
  int m_slave = -1;  // held open so the master keeps working while the host's port is closed
  QString m_slavePath;
  std::thread m_answerer;
};

}  // namespace quorvin::test
