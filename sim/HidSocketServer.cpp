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

void HidSocketServer::ListenerClosed() { ::unlink(m_nativePath.constData()); }

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

HidLinkServer::Take HidSocketServer::TakeReport(Client& c, Report& report, qint64& writtenAtMs) {
  std::uint8_t buf[kReportSize + 1];
  iovec io{buf, sizeof buf};
  alignas(cmsghdr) char control[CMSG_SPACE(sizeof(timeval))];
  msghdr msg{};
  msg.msg_iov = &io;
  msg.msg_iovlen = 1;
  msg.msg_control = control;
  msg.msg_controllen = sizeof control;
  const ssize_t n = ::recvmsg(c.fd, &msg, MSG_DONTWAIT);
  if (n == 0 || (n < 0 && errno != EAGAIN && errno != EWOULDBLOCK && errno != EINTR)) return Take::HangUp;
  if (n < 0) return Take::Nothing;
  if (n != static_cast<ssize_t>(kReportSize)) {
    m_model.Log().AddNote(m_clock.NowMs(), QStringLiteral("a message of %1 bytes is not a report; ignored").arg(n));
    return Take::Nothing;
  }
  std::memcpy(report.data(), buf, kReportSize);
  writtenAtMs = WrittenAtMs(msg, m_clock.NowMs());
  return Take::Report;
}

}  // namespace quorvin
