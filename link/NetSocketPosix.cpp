#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>

#include "host/Clock.h"
#include "link/NetSocket.h"

namespace quorvin::net {

namespace {

#ifdef MSG_NOSIGNAL
constexpr int kNoSignal = MSG_NOSIGNAL;  // a peer gone mid-write is an error to handle, not SIGPIPE
#else
constexpr int kNoSignal = 0;
#endif
#ifdef POLLRDHUP
constexpr short kPeerClosed = POLLRDHUP;  // Linux tells an ended peer even with data still unread
#else
constexpr short kPeerClosed = 0;
#endif

// poll() on one descriptor, resumed after signals with what is left of the time; answers revents,
// 0 on time-out, -1 on error.
int PollOne(int fd, short events, int timeoutMs) {
  const qint64 deadline = MonoMs() + std::max(timeoutMs, 0);
  for (;;) {
    pollfd p{fd, events, 0};
    const int n = ::poll(&p, 1, static_cast<int>(std::max<qint64>(deadline - MonoMs(), 0)));
    if (n > 0) return p.revents;
    if (n == 0) return 0;
    if (errno != EINTR) return -1;
  }
}

bool Prepare(int fd) {
  const int flags = ::fcntl(fd, F_GETFL);
  const int one = 1;
  return flags >= 0 && ::fcntl(fd, F_SETFL, flags | O_NONBLOCK) == 0 && ::fcntl(fd, F_SETFD, FD_CLOEXEC) == 0 &&
         ::setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one) == 0;
}

TcpStream::Connect Classify(int error) {
  if (error == ECONNREFUSED) return TcpStream::Connect::Refused;
  if (error == EACCES || error == EPERM) return TcpStream::Connect::Denied;
  return TcpStream::Connect::Failed;
}

bool WouldBlock(int error) { return error == EAGAIN || error == EWOULDBLOCK || error == EINTR; }
bool PeerEnded(int error) { return error == EPIPE || error == ECONNRESET || error == ENOTCONN; }

}  // namespace

TcpStream::~TcpStream() { Close(); }

void TcpStream::Close() {
  if (m_handle == kNone) return;
  ::close(static_cast<int>(m_handle));
  m_handle = kNone;
}

TcpStream::Connect TcpStream::Open(std::uint32_t ipv4, std::uint16_t port, int timeoutMs) {
  Close();
  const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
  if (fd < 0) return Connect::Failed;
  m_handle = fd;
  if (!Prepare(fd)) {
    Close();
    return Connect::Failed;
  }
  sockaddr_in addr{};
  addr.sin_family = AF_INET;
  addr.sin_port = htons(port);
  addr.sin_addr.s_addr = htonl(ipv4);
  if (::connect(fd, reinterpret_cast<const sockaddr*>(&addr), sizeof addr) == 0) return Connect::Ok;
  int error = errno;
  if (error == EINPROGRESS || error == EINTR) {
    // Under way: the connection's own error tells how it ended.
    socklen_t length = sizeof error;
    if (PollOne(fd, POLLOUT, timeoutMs) <= 0)
      error = ETIMEDOUT;
    else if (::getsockopt(fd, SOL_SOCKET, SO_ERROR, &error, &length) != 0)
      error = errno;
    if (error == 0) return Connect::Ok;
  }
  Close();
  return Classify(error);
}

TcpStream::Wait TcpStream::WaitReadable(int timeoutMs) {
  const int ev = PollOne(static_cast<int>(m_handle), POLLIN, timeoutMs);
  return ev == 0 ? Wait::Timeout : ev < 0 ? Wait::Failed : Wait::Ready;
}

TcpStream::Wait TcpStream::WaitWritable(int timeoutMs) {
  const int ev = PollOne(static_cast<int>(m_handle), POLLOUT, timeoutMs);
  return ev == 0 ? Wait::Timeout : ev < 0 ? Wait::Failed : Wait::Ready;
}

TcpStream::Io TcpStream::Send(const std::uint8_t* data, std::size_t length) {
  const ssize_t n = ::send(static_cast<int>(m_handle), data, length, kNoSignal);
  if (n > 0) return {Io::Done, static_cast<std::size_t>(n)};
  if (n == 0 || WouldBlock(errno)) return {Io::WouldBlock, 0};
  return {PeerEnded(errno) ? Io::Closed : Io::Failed, 0};
}

TcpStream::Io TcpStream::Receive(std::uint8_t* data, std::size_t capacity) {
  const ssize_t n = ::recv(static_cast<int>(m_handle), data, capacity, 0);
  if (n > 0) return {Io::Done, static_cast<std::size_t>(n)};
  if (n == 0) return {Io::Closed, 0};
  if (WouldBlock(errno)) return {Io::WouldBlock, 0};
  return {PeerEnded(errno) ? Io::Closed : Io::Failed, 0};
}

bool TcpStream::PeerGone() {
  if (m_handle == kNone) return true;
  const int fd = static_cast<int>(m_handle);
  // No data events asked for: hang-ups and errors are reported anyway.
  const int ev = PollOne(fd, kPeerClosed, 0);
  if (ev < 0 || (ev & (POLLHUP | POLLERR | POLLNVAL | kPeerClosed)) != 0) return true;
  // Elsewhere an orderly end reads as zero bytes once nothing is waiting before it.
  std::uint8_t byte = 0;
  const ssize_t n = ::recv(fd, &byte, 1, MSG_PEEK);
  return n == 0 || (n < 0 && !WouldBlock(errno));
}

}  // namespace quorvin::net
