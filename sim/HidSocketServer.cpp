#include "sim/HidSocketServer.h"

#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/time.h>
#include <sys/un.h>
#include <unistd.h>

#include <QFile>
#include <algorithm>
#include <cerrno>
#include <cstring>

namespace quorvin {

namespace {
bool FillAddress(const QByteArray& path, sockaddr_un& addr) {
  addr = {};
  addr.sun_family = AF_UNIX;
  if (path.isEmpty() || static_cast<std::size_t>(path.size()) >= sizeof addr.sun_path) return false;
  std::memcpy(addr.sun_path, path.constData(), static_cast<std::size_t>(path.size()));
  return true;
}

// When the host wrote the report, on our clock: now less the age of the kernel's stamp (taken on
// the wall clock, so only the age is used). Without a stamp, now.
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

// Someone already serves this socket when a connection to it succeeds.
bool SocketIsLive(const sockaddr_un& addr) {
  const int fd = ::socket(AF_UNIX, SOCK_SEQPACKET | SOCK_CLOEXEC, 0);
  if (fd < 0) return false;
  const bool live = ::connect(fd, reinterpret_cast<const sockaddr*>(&addr), sizeof addr) == 0;
  ::close(fd);
  return live;
}
}  // namespace

HidSocketServer::~HidSocketServer() { Shutdown(); }

void HidSocketServer::Shutdown() {
  // The socket goes first: a host that sees its connection drop finds no device to reconnect to.
  if (m_listen >= 0) {
    ::close(m_listen);
    m_listen = -1;
    ::unlink(m_nativePath.constData());
  }
  for (int fd : m_clients) ::close(fd);
  m_clients.clear();
  m_active = -1;
}

bool HidSocketServer::Listen(const QString& path, QString& error) {
  m_path = path;
  m_nativePath = QFile::encodeName(path);
  sockaddr_un addr{};
  if (!FillAddress(m_nativePath, addr)) {
    error = QStringLiteral("socket path is empty or longer than %1 bytes: %2").arg(sizeof addr.sun_path - 1).arg(path);
    return false;
  }
  struct stat st {};
  if (::lstat(m_nativePath.constData(), &st) == 0) {
    if (!S_ISSOCK(st.st_mode)) {
      error = QStringLiteral("%1 exists and is not a socket; not touching it").arg(path);
      return false;
    }
    if (SocketIsLive(addr)) {
      error = QStringLiteral("%1 is already served by another process").arg(path);
      return false;
    }
    ::unlink(m_nativePath.constData());  // left behind by a sim that was killed hard
  }
  m_listen = ::socket(AF_UNIX, SOCK_SEQPACKET | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
  if (m_listen < 0 || ::bind(m_listen, reinterpret_cast<const sockaddr*>(&addr), sizeof addr) != 0 ||
      ::listen(m_listen, 8) != 0) {
    error = QStringLiteral("cannot listen on %1: %2").arg(path, QString::fromLocal8Bit(std::strerror(errno)));
    if (m_listen >= 0) ::close(m_listen);
    m_listen = -1;
    return false;
  }
  return true;
}

void HidSocketServer::CollectPollFds(std::vector<pollfd>& fds) {
  if (m_listen >= 0) fds.push_back({m_listen, POLLIN, 0});
  for (int fd : m_clients) {
    short events = POLLIN;
    if (fd == m_active && m_held) events |= POLLOUT;
    fds.push_back({fd, events, 0});
  }
}

std::optional<qint64> HidSocketServer::NextWakeMs() const {
  if (m_held || m_vanished) return std::nullopt;  // a held report waits for POLLOUT
  return m_model.NextDueMs();
}

void HidSocketServer::Service(std::span<const pollfd> fds, qint64 nowMs) {
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

void HidSocketServer::Accept(qint64 nowMs) {
  for (;;) {
    const int fd = ::accept4(m_listen, nullptr, nullptr, SOCK_CLOEXEC | SOCK_NONBLOCK);
    if (fd < 0) return;
    const std::uint16_t vid = m_model.VendorId();
    const std::uint16_t pid = m_model.ProductId();
    const std::uint8_t hello[4] = {static_cast<std::uint8_t>(vid & 0xFF), static_cast<std::uint8_t>(vid >> 8),
                                   static_cast<std::uint8_t>(pid & 0xFF), static_cast<std::uint8_t>(pid >> 8)};
    if (::send(fd, hello, sizeof hello, MSG_NOSIGNAL) != static_cast<ssize_t>(sizeof hello)) {
      ::close(fd);
      continue;
    }
    // The kernel stamps each report when the host writes it: a sim that was not scheduled for a
    // while still judges the host's pauses by when the reports were written, not read.
    const int on = 1;
    (void)::setsockopt(fd, SOL_SOCKET, SO_TIMESTAMP, &on, sizeof on);
    m_clients.push_back(fd);
    m_model.Log().AddNote(nowMs, QStringLiteral("host connected (%1 connection(s))").arg(m_clients.size()));
  }
}

void HidSocketServer::Receive(int fd, qint64 nowMs) {
  std::uint8_t buf[kReportSize + 1];
  iovec io{buf, sizeof buf};
  alignas(cmsghdr) char control[CMSG_SPACE(sizeof(timeval))];
  msghdr msg{};
  msg.msg_iov = &io;
  msg.msg_iovlen = 1;
  msg.msg_control = control;
  msg.msg_controllen = sizeof control;
  const ssize_t n = ::recvmsg(fd, &msg, MSG_DONTWAIT);
  if (n == 0 || (n < 0 && errno != EAGAIN && errno != EWOULDBLOCK && errno != EINTR)) {
    CloseClient(fd, nowMs);
    return;
  }
  if (n < 0) return;
  if (n != static_cast<ssize_t>(kReportSize)) {
    m_model.Log().AddNote(nowMs, QStringLiteral("a message of %1 bytes is not a report; ignored").arg(n));
    return;
  }
  if (fd != m_active) {
    m_active = fd;
    m_held.reset();  // what was meant for the previous host is not for this one
  }
  Report r{};
  std::memcpy(r.data(), buf, kReportSize);
  m_model.OnUsbReport(r, WrittenAtMs(msg, m_clock.NowMs()));
  if (m_model.Vanished()) Vanish(nowMs);
}

void HidSocketServer::CloseClient(int fd, qint64 nowMs) {
  ::close(fd);
  m_clients.erase(std::remove(m_clients.begin(), m_clients.end(), fd), m_clients.end());
  m_model.Log().AddNote(nowMs, QStringLiteral("host disconnected"));
  if (fd == m_active) {
    m_active = -1;
    m_held.reset();
    m_model.DropPending();
  }
}

void HidSocketServer::Deliver(qint64 nowMs) {
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
    const ssize_t n = ::send(m_active, m_held->data(), kReportSize, MSG_NOSIGNAL | MSG_DONTWAIT);
    if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) return;  // the host lags: wait for room
    if (n < 0) {
      CloseClient(m_active, nowMs);
      continue;
    }
    m_held.reset();
    // The report that used up the vanish fault still went out; then the device is gone.
    if (m_model.Vanished()) {
      Vanish(nowMs);
      return;
    }
  }
}

void HidSocketServer::Vanish(qint64 nowMs) {
  m_vanished = true;
  m_model.Log().AddNote(nowMs, QStringLiteral("the device is gone: link closed, socket removed"));
  Shutdown();
}

}  // namespace quorvin
