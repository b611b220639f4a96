#include "sim/HidTcpServer.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/socket.h>
#include <sys/time.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace quorvin {

HidTcpServer::~HidTcpServer() { Shutdown(); }

bool HidTcpServer::Listen(const TcpAddress& address, QString& error) {
  if (address.ipv4 >> 24 != 127) {
    error = QStringLiteral("%1 is not a loopback address; the virtual link is served on 127.0.0.1 only")
                .arg(address.Text());
    return false;
  }
  sockaddr_in addr{};
  addr.sin_family = AF_INET;
  addr.sin_port = htons(address.port);
  addr.sin_addr.s_addr = htonl(address.ipv4);
  socklen_t length = sizeof addr;
  const int on = 1;
  // SO_REUSEADDR: a sim started again on its port is not kept off it by the last run's closed
  // connections; a live listener there still is.
  m_listen = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
  if (m_listen < 0 || ::setsockopt(m_listen, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on) != 0 ||
      ::bind(m_listen, reinterpret_cast<const sockaddr*>(&addr), sizeof addr) != 0 || ::listen(m_listen, 8) != 0 ||
      ::getsockname(m_listen, reinterpret_cast<sockaddr*>(&addr), &length) != 0) {
    error = QStringLiteral("cannot listen on %1: %2").arg(address.Text(), QString::fromLocal8Bit(std::strerror(errno)));
    if (m_listen >= 0) ::close(m_listen);
    m_listen = -1;
    return false;
  }
  m_address = TcpAddress{address.ipv4, ntohs(addr.sin_port)};
  // The kernel stamps TCP segments only while some socket wants stamps, and turns that on in the
  // background when asked: asked only on accepting, the first report of each host could come
  // unstamped and be judged by when it was read. Asked here, it is on before any host connects,
  // and stays on between hosts; connections inherit it.
  const int stamps = 1;
  if (::setsockopt(m_listen, SOL_SOCKET, SO_TIMESTAMP, &stamps, sizeof stamps) != 0)
    m_model.Log().AddNote(m_clock.NowMs(), QStringLiteral("no arrival stamps: upload pauses judged by read time"));
  return true;
}

bool HidTcpServer::PrepareClient(int fd) {
  const int on = 1;
  return ::setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on) == 0;
}

HidLinkServer::Take HidTcpServer::TakeReport(Client& c, Report& report, qint64& writtenAtMs) {
  // Only the rest of the report under way is asked for, so the stamp is of its own last piece.
  iovec io{c.rx.data() + c.rxFill, kReportSize - c.rxFill};
  alignas(cmsghdr) char control[CMSG_SPACE(sizeof(timeval))];
  msghdr msg{};
  msg.msg_iov = &io;
  msg.msg_iovlen = 1;
  msg.msg_control = control;
  msg.msg_controllen = sizeof control;
  const ssize_t n = ::recvmsg(c.fd, &msg, MSG_DONTWAIT);
  if (n == 0 || (n < 0 && errno != EAGAIN && errno != EWOULDBLOCK && errno != EINTR)) return Take::HangUp;
  if (n < 0) return Take::Nothing;
  c.rxFill += static_cast<std::size_t>(n);
  if (c.rxFill < kReportSize) return Take::Nothing;
  c.rxFill = 0;
  report = c.rx;
  writtenAtMs = WrittenAtMs(msg, m_clock.NowMs());
  return Take::Report;
}

}  // namespace quorvin
