#include "sim/PtySerialServer.h"

#include <fcntl.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>

namespace quorvin {

namespace {

int BaudOf(speed_t speed) {
  switch (speed) {
    case B1200:
      return 1200;
    case B2400:
      return 2400;
    case B4800:
      return 4800;
    case B9600:
      return 9600;
    case B19200:
      return 19200;
    case B38400:
      return 38400;
    case B57600:
      return 57600;
    case B115200:
      return 115200;
    case B230400:
      return 230400;
    default:
      return 9600;
  }
}

}  // namespace

PtySerialServer::~PtySerialServer() {
  if (m_slave >= 0) ::close(m_slave);
  if (m_master >= 0) ::close(m_master);
}

bool PtySerialServer::Open(QString& error) {
  m_master = ::posix_openpt(O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
  char name[128] = {};
  if (m_master < 0 || ::grantpt(m_master) != 0 || ::unlockpt(m_master) != 0 ||
      ::ptsname_r(m_master, name, sizeof name) != 0) {
    error = QStringLiteral("cannot create a pseudo-terminal: %1").arg(QString::fromLocal8Bit(std::strerror(errno)));
    return false;
  }
  m_slavePath = QString::fromLocal8Bit(name);
  m_slave = ::open(name, O_RDWR | O_NOCTTY | O_CLOEXEC);
  if (m_slave < 0) {
    error = QStringLiteral("cannot open %1: %2").arg(m_slavePath, QString::fromLocal8Bit(std::strerror(errno)));
    return false;
  }
  // Raw from the start: no echo of what the tool writes, no translation of the device's bytes.
  termios raw{};
  ::tcgetattr(m_slave, &raw);
  ::cfmakeraw(&raw);
  ::tcsetattr(m_slave, TCSANOW, &raw);
  return true;
}

void PtySerialServer::CollectPollFds(std::vector<pollfd>& fds) {
  if (m_master < 0) return;
  fds.push_back({m_master, static_cast<short>(POLLIN | (m_out.isEmpty() ? 0 : POLLOUT)), 0});
}

void PtySerialServer::Service(std::span<const pollfd> fds, qint64 nowMs) {
  if (!fds.empty() && (fds[0].revents & POLLIN)) Receive(nowMs);
  m_out.append(m_device.TakeDue(m_clock.NowMs()));
  Flush();
}

std::optional<qint64> PtySerialServer::NextWakeMs() const { return m_device.NextDueMs(); }

void PtySerialServer::Receive(qint64 nowMs) {
  // The master reports the speed the tool set on its side of the line.
  termios mode{};
  if (::tcgetattr(m_master, &mode) == 0) m_device.SetBaud(BaudOf(::cfgetospeed(&mode)));
  char buf[4096];
  for (;;) {
    const ssize_t n = ::read(m_master, buf, sizeof buf);
    if (n <= 0) return;
    m_device.OnBytes(QByteArray(buf, static_cast<qsizetype>(n)), nowMs);
  }
}

void PtySerialServer::Flush() {
  while (!m_out.isEmpty()) {
    const ssize_t n = ::write(m_master, m_out.constData(), static_cast<size_t>(m_out.size()));
    if (n <= 0) return;  // the line is full: POLLOUT brings us back
    m_out.remove(0, n);
  }
}

}  // namespace quorvin
