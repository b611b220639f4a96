#pragma once
// A pseudo-terminal whose slave side the window opens as its serial port, and a device that
// answers one request on the master side from its own thread (the test thread runs the window).

#include <fcntl.h>
#include <poll.h>
#include <stdlib.h>
#include <termios.h>
#include <unistd.h>

#include <QByteArray>
#include <QString>
#include <atomic>
#include <thread>

namespace quorvin::test {

class PtyPeer {
 public:
  PtyPeer() {
    m_master = posix_openpt(O_RDWR | O_NOCTTY);
    if (m_master < 0 || grantpt(m_master) != 0 || unlockpt(m_master) != 0) return;
    char name[128] = {};
    if (ptsname_r(m_master, name, sizeof name) != 0) return;
    m_slavePath = QString::fromLocal8Bit(name);
    // Held open so the master keeps working while the window's port is closed.
    m_slave = ::open(name, O_RDWR | O_NOCTTY);
    termios raw{};
    tcgetattr(m_slave, &raw);
    cfmakeraw(&raw);
    tcsetattr(m_slave, TCSANOW, &raw);
  }
  ~PtyPeer() {
    if (m_device.joinable()) m_device.join();
    if (m_master >= 0) ::close(m_master);
    if (m_slave >= 0) ::close(m_slave);
  }
  PtyPeer(const PtyPeer&) = delete;
  PtyPeer& operator=(const PtyPeer&) = delete;

  [[nodiscard]] QString SlavePath() const { return m_slavePath; }
  [[nodiscard]] bool Ok() const { return m_slave >= 0; }

  // Waits for `requestBytes` bytes, keeps them in `request`, then sends `reply`.
  void AnswerOnce(int requestBytes, QByteArray reply) {
    m_device = std::thread([this, requestBytes, reply] {
      QByteArray got;
      while (got.size() < requestBytes) {
        pollfd p{m_master, POLLIN, 0};
        if (::poll(&p, 1, 5000) <= 0) break;
        char buf[256];
        const ssize_t n = ::read(m_master, buf, sizeof buf);
        if (n <= 0) break;
        got.append(buf, n);
      }
      request = got;
      if (::write(m_master, reply.constData(), static_cast<size_t>(reply.size())) != reply.size()) request.clear();
      answered = true;
    });
  }

  QByteArray request;
  std::atomic<bool> answered{false};

 private:
  int m_master = -1;
  int m_slave = -1;
  QString m_slavePath;
  std::thread m_device;
};

}  // namespace quorvin::test
