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

int ListenOnLoopback(const TcpAddress& address, TcpAddress& bound, bool& stamped, QString& error) {
  if (address.ipv4 >> 24 != 127) {
    error = QStringLiteral("%1 is not a loopback address; the virtual link is served on 127.0.0.1 only")
                .arg(address.Text());
    return -1;
  }
  sockaddr_in addr{};
  addr.sin_family = AF_INET;
  addr.sin_port = htons(address.port);
  addr.sin_addr.s_addr = htonl(address.ipv4);
  socklen_t length = sizeof addr;
  const int on = 1;
  // SO_REUSEADDR: a sim started again on its port is not kept off it by the last run's closed
  // connections; a live listener there still is.
  const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
  if (fd < 0 || ::setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on) != 0 ||
      ::bind(fd, reinterpret_cast<const sockaddr*>(&addr), sizeof addr) != 0 || ::listen(fd, 8) != 0 ||
      ::getsockname(fd, reinterpret_cast<sockaddr*>(&addr), &length) != 0) {
    error = QStringLiteral("cannot listen on %1: %2").arg(address.Text(), QString::fromLocal8Bit(std::strerror(errno)));
    if (fd >= 0) ::close(fd);
    return -1;
  }
  bound = TcpAddress{address.ipv4, ntohs(addr.sin_port)};
  // The kernel stamps TCP segments only while some socket wants stamps, and turns that on in the
  // background when asked: asked only on accepting, the first report of each host could come
  // unstamped and be judged by when it was read. Asked here, it is on before any host connects,
  // and stays on between hosts; connections inherit it.
  stamped = ::setsockopt(fd, SOL_SOCKET, SO_TIMESTAMP, &on, sizeof on) == 0;
  return fd;
}

HidTcpServer::~HidTcpServer() { Shutdown(); }

bool HidTcpServer::Listen(const TcpAddress& address, QString& error) {
  bool stamped = false;
  m_listen = ListenOnLoopback(address, m_address, stamped, error);
  if (m_listen < 0) return false;
  if (!stamped)
    m_model.Log().AddNote(m_clock.NowMs(), QStringLiteral("no arrival stamps: upload pauses judged by read time"));
  return true;
}

void HidTcpServer::ServeAsUnit(const TcpAddress& address, int unit) {
  m_address = address;
  m_unit = unit;
}

QString HidTcpServer::Where() const {
  return m_unit > 0 ? m_address.Text() + QStringLiteral("#%1").arg(m_unit) : m_address.Text();
}

bool HidTcpServer::PlugInAgain(QString& error) { return m_unit > 0 || Listen(m_address, error); }

QByteArray HidTcpServer::Hello() const {
  if (m_unit == 0) return HidLinkServer::Hello().left(4);  // the single form's hello is the ids alone
  QByteArray hello = HidLinkServer::Hello().left(4);
  hello.append(static_cast<char>(m_serial.size())).append(m_serial);
  return hello;
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
