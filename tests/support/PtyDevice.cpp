#include "support/PtyDevice.h"

#include <fcntl.h>
#include <poll.h>
#include <stdlib.h>
#include <termios.h>
#include <unistd.h>

#include <QDeadlineTimer>

namespace quorvin::test {

PtyDevice::PtyDevice() {
  m_master = posix_openpt(O_RDWR | O_NOCTTY);
  if (m_master < 0 || grantpt(m_master) != 0 || unlockpt(m_master) != 0) return;
  char name[128] = {};
  if (ptsname_r(m_master, name, sizeof name) != 0) return;
  m_slavePath = QString::fromLocal8Bit(name);
  m_slave = ::open(name, O_RDWR | O_NOCTTY);
  if (m_slave < 0) return;
  termios raw{};
  tcgetattr(m_slave, &raw);
  cfmakeraw(&raw);
  tcsetattr(m_slave, TCSANOW, &raw);
}

PtyDevice::~PtyDevice() {
  if (m_answerer.joinable()) m_answerer.join();
  HangUp();
  if (m_slave >= 0) ::close(m_slave);
}

void PtyDevice::HangUp() {
  if (m_master >= 0) ::close(m_master);
  m_master = -1;
}

QByteArray PtyDevice::ReadExactly(int count, int timeoutMs) {
  QByteArray out;
  const QDeadlineTimer deadline(timeoutMs);
  while (out.size() < count && m_master >= 0 && !deadline.hasExpired()) {
    pollfd p{m_master, POLLIN, 0};
    if (::poll(&p, 1, static_cast<int>(deadline.remainingTime())) <= 0) continue;
    char buf[1024];
    const ssize_t n = ::read(m_master, buf, static_cast<size_t>(qMin<qsizetype>(sizeof buf, count - out.size())));
    if (n <= 0) break;
    out.append(buf, n);
  }
  return out;
}

bool PtyDevice::Write(const QByteArray& bytes) {
  qsizetype done = 0;
  while (done < bytes.size()) {
    const ssize_t n = ::write(m_master, bytes.constData() + done, static_cast<size_t>(bytes.size() - done));
    if (n <= 0) return false;
    done += n;
  }
  return true;
}

void PtyDevice::AnswerOnce(int requestBytes, QByteArray reply) {
  m_answerer = std::thread([this, requestBytes, reply = std::move(reply)] {
    request = ReadExactly(requestBytes, 5000);
    if (!Write(reply)) request.clear();
    answered = true;
  });
}

}  // namespace quorvin::test
