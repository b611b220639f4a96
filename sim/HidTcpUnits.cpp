#include "sim/HidTcpUnits.h"

#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>

namespace quorvin {

HidTcpUnits::~HidTcpUnits() {
  if (m_listen >= 0) ::close(m_listen);
  for (const Asking& a : m_asking) ::close(a.fd);
}

bool HidTcpUnits::Listen(const TcpAddress& address, QString& error) {
  m_listen = ListenOnLoopback(address, m_address, m_stamped, error);
  return m_listen >= 0;
}

QString HidTcpUnits::Describe() const {
  return QStringLiteral("hid-tcp %1 (units 1..%2)").arg(m_address.Text()).arg(m_units.size());
}

void HidTcpUnits::CollectPollFds(std::vector<pollfd>& fds) {
  if (m_listen >= 0) fds.push_back({m_listen, POLLIN, 0});
  for (const Asking& a : m_asking) fds.push_back({a.fd, POLLIN, 0});
}

std::optional<qint64> HidTcpUnits::NextWakeMs() const {
  std::optional<qint64> due;
  for (const Asking& a : m_asking) due = std::min(due.value_or(a.since + kAskMs), a.since + kAskMs);
  return due;
}

void HidTcpUnits::Service(std::span<const pollfd> fds, qint64 nowMs) {
  std::vector<int> ready;
  for (const pollfd& p : fds) {
    if (p.revents == 0) continue;
    if (p.fd == m_listen)
      Accept(nowMs);
    else
      ready.push_back(p.fd);
  }
  std::erase_if(m_asking, [&](const Asking& a) {
    if (std::find(ready.begin(), ready.end(), a.fd) != ready.end()) return !HearUnit(a, nowMs);
    if (nowMs - a.since < kAskMs) return false;
    ::close(a.fd);  // it never said which unit it wants
    return true;
  });
}

void HidTcpUnits::Accept(qint64 nowMs) {
  for (;;) {
    const int fd = ::accept4(m_listen, nullptr, nullptr, SOCK_CLOEXEC | SOCK_NONBLOCK);
    if (fd < 0) return;
    m_asking.push_back({fd, nowMs});
  }
}

bool HidTcpUnits::HearUnit(const Asking& a, qint64 nowMs) {
  std::uint8_t unit = 0;
  const ssize_t n = ::recv(a.fd, &unit, 1, MSG_DONTWAIT);
  if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR)) return true;
  if (n == 1 && unit >= 1 && std::size_t{unit} <= m_units.size() && m_units[unit - 1]->Present()) {
    (void)m_units[unit - 1]->Adopt(a.fd, nowMs);  // closes it when it cannot greet
    return false;
  }
  ::close(a.fd);  // gone before it asked, or for a unit that is not there
  return false;
}

}  // namespace quorvin
