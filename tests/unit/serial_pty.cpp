#include "serial_pty.h"

#include <fcntl.h>
#include <poll.h>
#include <stdlib.h>
#include <termios.h>
#include <unistd.h>

#include <stdexcept>

namespace quorvin::test {

PtyDevice::PtyDevice() {
  m_master = posix_openpt(O_RDWR | O_NOCTTY);
  if (m_master < 0 || grantpt(m_master) != 0 || unlockpt(m_master) != 0) throw std::runtime_error("no pty");
  char name[128] = {};
  if (ptsname_r(m_master, name, sizeof name) != 0) throw std::runtime_error("no pty name");
  m_slavePath = QString::fromLocal8Bit(name);
  m_slave = ::open(name, O_RDWR | O_NOCTTY);
  if (m_slave < 0) throw std::runtime_error("cannot open pty slave");
  termios raw{};
  tcgetattr(m_slave, &raw);
  cfmakeraw(&raw);
  tcsetattr(m_slave, TCSANOW, &raw);
}

PtyDevice::~PtyDevice() {
  HangUp();
  if (m_slave >= 0) ::close(m_slave);
}

void PtyDevice::HangUp() {
  if (m_master >= 0) ::close(m_master);
  m_master = -1;
}

QByteArray PtyDevice::ReadExactly(int count, int timeoutMs) {
  QByteArray out;
  RealClock clock;
  const qint64 end = clock.NowMs() + timeoutMs;
  while (out.size() < count && m_master >= 0) {
    const qint64 left = end - clock.NowMs();
    if (left <= 0) break;
    pollfd p{m_master, POLLIN, 0};
    if (::poll(&p, 1, static_cast<int>(left)) <= 0) continue;
    char buf[1024];
    const ssize_t n = ::read(m_master, buf, qMin<qsizetype>(sizeof buf, count - out.size()));
    if (n <= 0) break;
    out.append(buf, n);
  }
  return out;
}

QByteArray PtyDevice::ReadFrame(int timeoutMs) {
  QByteArray frame = ReadExactly(5, timeoutMs);
  if (frame.size() == 5) frame += ReadExactly(static_cast<std::uint8_t>(frame[4]) + 1, timeoutMs);
  return frame;
}

QByteArray PtyDevice::ReadUntilQuiet(int quietMs) {
  QByteArray out;
  for (;;) {
    pollfd p{m_master, POLLIN, 0};
    if (::poll(&p, 1, quietMs) <= 0) return out;
    char buf[1024];
    const ssize_t n = ::read(m_master, buf, sizeof buf);
    if (n <= 0) return out;
    out.append(buf, n);
  }
}

void PtyDevice::Write(const QByteArray& bytes) {
  qsizetype done = 0;
  while (done < bytes.size()) {
    const ssize_t n = ::write(m_master, bytes.constData() + done, static_cast<size_t>(bytes.size() - done));
    if (n <= 0) throw std::runtime_error("pty write failed");
    done += n;
  }
}

QByteArray Bytes(std::initializer_list<int> values) {
  QByteArray out;
  for (int v : values) out.append(static_cast<char>(v));
  return out;
}

QByteArray Sealed(const QByteArray& bytes) {
  unsigned sum = 0;
  for (qsizetype i = 2; i < bytes.size(); ++i) sum += static_cast<std::uint8_t>(bytes[i]);
  return bytes + QByteArray(1, static_cast<char>(~sum & 0xFF));
}

QByteArray DeviceFrame(int direction, int command, const QByteArray& payload) {
  return Sealed(Bytes({0x55, 0xAA, direction, command, static_cast<int>(payload.size())}) + payload);
}

QByteArray ReadBackPacket(int count, int number, const QByteArray& data) {
  return DeviceFrame(0x02, 0xC5, Bytes({count >> 8, count & 0xFF, number >> 8, number & 0xFF}) + data);
}

void OnQtThread(const std::function<void()>& fn) {
  QThread* thread = QThread::create(fn);
  thread->start();
  thread->wait();
  delete thread;
}

void SerialRun::Start(std::function<OpResult(Channel&)> op) {
  m_startMs = clock.NowMs();
  m_thread = QThread::create([this, op = std::move(op)] {
    m_result = op(env);
    portOpenAfter = port.IsOpen();
    m_endMs = clock.NowMs();
  });
  m_thread->start();
}

OpResult SerialRun::Finish() {
  if (m_thread) {
    m_thread->wait();
    delete m_thread;
    m_thread = nullptr;
  }
  return m_result;
}

}  // namespace quorvin::test
