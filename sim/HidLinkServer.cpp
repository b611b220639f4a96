#include "sim/HidLinkServer.h"

#include <sys/time.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

namespace quorvin {

qint64 WrittenAtMs(msghdr& msg, qint64 nowMs) {
  for (cmsghdr* c = CMSG_FIRSTHDR(&msg); c; c = CMSG_NXTHDR(&msg, c)) {
    if (c->cmsg_level != SOL_SOCKET || c->cmsg_type != SCM_TIMESTAMP) continue;
    timeval stamp{};
    std::memcpy(&stamp, CMSG_DATA(c), sizeof stamp);
    timeval wall{};
    ::gettimeofday(&wall, nullptr);
    const qint64 ageUs = (qint64{wall.tv_sec} - stamp.tv_sec) * 1'000'000 + (wall.tv_usec - stamp.tv_usec);
    // A stamp from the future (the wall clock was set back) or older than a minute is not trusted.
    if (ageUs < 0 || ageUs > 60'000'000) return nowMs;
    return nowMs - ageUs / 1000;
  }
  return nowMs;
}

HidLinkServer::~HidLinkServer() {
  // Derived classes have shut down already; this only makes sure nothing stays open.
  if (m_listen >= 0) ::close(m_listen);
  for (const Client& c : m_clients) ::close(c.fd);
}

void HidLinkServer::Shutdown() {
  // The listener goes first: a host that sees its connection drop finds no device to reconnect to.
  if (m_listen >= 0) {
    ::close(m_listen);
    m_listen = -1;
    ListenerClosed();
  }
  for (const Client& c : m_clients) ::close(c.fd);
  m_clients.clear();
  m_active = -1;
}

HidLinkServer::Client* HidLinkServer::Find(int fd) {
  const auto it = std::find_if(m_clients.begin(), m_clients.end(), [fd](const Client& c) { return c.fd == fd; });
  return it == m_clients.end() ? nullptr : &*it;
}

void HidLinkServer::CollectPollFds(std::vector<pollfd>& fds) {
  if (m_listen >= 0) fds.push_back({m_listen, POLLIN, 0});
  for (const Client& c : m_clients) {
    short events = POLLIN;
    if (c.fd == m_active && m_held) events |= POLLOUT;
    fds.push_back({c.fd, events, 0});
  }
}

void HidLinkServer::SetReplugEveryMs(int ms, qint64 nowMs) {
  m_replugMs = ms;
  m_nextReplugMs = nowMs + ms;
}

std::optional<qint64> HidLinkServer::NextWakeMs() const {
  std::optional<qint64> due;
  if (!m_held && !m_vanished && !m_unplugged) due = m_model.NextDueMs();  // a held report waits for POLLOUT
  if (m_replugMs > 0 && !m_vanished) due = due ? std::min(*due, m_nextReplugMs) : m_nextReplugMs;
  return due;
}

void HidLinkServer::Replug(qint64 nowMs) {
  m_nextReplugMs = nowMs + m_replugMs;
  if (!m_unplugged) {
    Shutdown();
    m_unplugged = true;
    m_model.Log().AddNote(nowMs, QStringLiteral("unplugged: ") + Where() + QStringLiteral(" removed"));
    return;
  }
  QString error;
  m_unplugged = !PlugInAgain(error);
  m_model.Log().AddNote(nowMs, m_unplugged ? QStringLiteral("cannot plug in again: ") + error
                                           : QStringLiteral("plugged in again: ") + Where());
}

void HidLinkServer::Service(std::span<const pollfd> fds, qint64 nowMs) {
  // A vanished device stays gone: it is not plugged in again.
  if (m_replugMs > 0 && !m_vanished && nowMs >= m_nextReplugMs) {
    Replug(nowMs);
    return;  // the descriptors in `fds` are closed now, or the new listener is polled next round
  }
  if (m_unplugged) return;
  for (const pollfd& p : fds) {
    if (p.revents == 0) continue;
    if (p.fd == m_listen) {
      Accept(nowMs);
    } else if (p.revents & POLLIN) {
      Receive(p.fd, nowMs);
    } else if (p.revents & (POLLHUP | POLLERR | POLLNVAL)) {
      CloseClient(p.fd, nowMs);
    }
    if (m_vanished) return;
  }
  Deliver(m_clock.NowMs());
}

QByteArray HidLinkServer::Hello() const {
  const std::uint16_t vid = m_model.VendorId();
  const std::uint16_t pid = m_model.ProductId();
  QByteArray hello;
  hello.append(static_cast<char>(vid & 0xFF)).append(static_cast<char>(vid >> 8));
  hello.append(static_cast<char>(pid & 0xFF)).append(static_cast<char>(pid >> 8));
  return hello + m_serial;
}

void HidLinkServer::Accept(qint64 nowMs) {
  for (;;) {
    const int fd = ::accept4(m_listen, nullptr, nullptr, SOCK_CLOEXEC | SOCK_NONBLOCK);
    if (fd < 0) return;
    (void)Adopt(fd, nowMs);
  }
}

bool HidLinkServer::Adopt(int fd, qint64 nowMs) {
  const QByteArray hello = Hello();
  // The kernel stamps each report as it arrives: a sim that was not scheduled for a while still
  // judges the host's pauses by when the reports came, not when it got round to reading them.
  const int on = 1;
  (void)::setsockopt(fd, SOL_SOCKET, SO_TIMESTAMP, &on, sizeof on);
  if (!PrepareClient(fd) ||
      ::send(fd, hello.constData(), static_cast<std::size_t>(hello.size()), MSG_NOSIGNAL) != hello.size()) {
    ::close(fd);
    return false;
  }
  m_clients.push_back(Client{fd});
  m_model.Log().AddNote(nowMs, QStringLiteral("host connected (%1 connection(s))").arg(m_clients.size()));
  return true;
}

void HidLinkServer::Receive(int fd, qint64 nowMs) {
  Client* c = Find(fd);
  if (!c) return;
  Report r{};
  qint64 writtenAtMs = nowMs;
  switch (TakeReport(*c, r, writtenAtMs)) {
    case Take::Nothing:
      return;
    case Take::HangUp:
      CloseClient(fd, nowMs);
      return;
    case Take::Report:
      break;
  }
  if (fd != m_active) {
    // A report cut off half way leaves the previous host's stream out of step: it is let go, and
    // sees the device gone.
    if (m_heldSent > 0) CloseClient(m_active, nowMs);
    m_active = fd;
    m_held.reset();  // what was meant for the previous host is not for this one
    m_heldSent = 0;
  }
  m_model.OnUsbReport(r, writtenAtMs);
  if (m_model.Vanished()) Vanish(nowMs);
}

void HidLinkServer::CloseClient(int fd, qint64 nowMs) {
  if (!Find(fd)) return;  // let go earlier in the same round of events
  ::close(fd);
  m_clients.erase(std::remove_if(m_clients.begin(), m_clients.end(), [fd](const Client& c) { return c.fd == fd; }),
                  m_clients.end());
  m_model.Log().AddNote(nowMs, QStringLiteral("host disconnected"));
  if (fd == m_active) {
    m_active = -1;
    m_held.reset();
    m_heldSent = 0;
    m_model.DropPending();
  }
}

void HidLinkServer::Deliver(qint64 nowMs) {
  if (m_vanished) return;
  for (;;) {
    if (!m_held) {
      m_held = m_model.TakeDue(nowMs);
      if (!m_held) return;
    }
    if (m_active < 0) {
      m_held.reset();  // nobody is listening: the report is lost, as on a real bus
      continue;
    }
    const ssize_t n =
        ::send(m_active, m_held->data() + m_heldSent, kReportSize - m_heldSent, MSG_NOSIGNAL | MSG_DONTWAIT);
    if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) return;  // the host lags: wait for room
    if (n <= 0) {
      CloseClient(m_active, nowMs);
      continue;
    }
    m_heldSent += static_cast<std::size_t>(n);
    if (m_heldSent < kReportSize) return;  // the rest when there is room
    m_held.reset();
    m_heldSent = 0;
    // The report that used up the vanish fault still went out; then the device is gone.
    if (m_model.Vanished()) {
      Vanish(nowMs);
      return;
    }
  }
}

void HidLinkServer::Vanish(qint64 nowMs) {
  m_vanished = true;
  m_model.Log().AddNote(
      nowMs, QStringLiteral("the device is gone: link closed, ") + Describe() + QStringLiteral(" no longer served"));
  Shutdown();
}

}  // namespace quorvin
