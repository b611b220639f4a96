// Winsock form of the TCP calls. select() does the waiting: WSAPoll on older Windows never reports
// a refused connect, and one socket at a time is all this needs.

#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <winsock2.h>
#include <ws2tcpip.h>

#include <algorithm>
#include <climits>

#include "link/NetSocket.h"

namespace quorvin::net {

namespace {

// Winsock is started once, before the first socket, and stays up for the life of the process.
bool WinsockUp() {
  static const bool up = [] {
    WSADATA data;
    return ::WSAStartup(MAKEWORD(2, 2), &data) == 0;
  }();
  return up;
}

SOCKET Sock(std::intptr_t handle) { return static_cast<SOCKET>(handle); }

// Waits until `s` can be read (or written); errors and a failed connect count as ready, for the
// call that follows to collect. Answers 1 ready, 0 time-out, -1 error.
int SelectOne(SOCKET s, bool forWrite, int timeoutMs) {
  fd_set ready;
  fd_set failed;
  FD_ZERO(&ready);
  FD_ZERO(&failed);
  FD_SET(s, &ready);
  FD_SET(s, &failed);
  const int ms = std::max(timeoutMs, 0);
  timeval tv{ms / 1000, (ms % 1000) * 1000};
  const int n = ::select(0, forWrite ? nullptr : &ready, forWrite ? &ready : nullptr, &failed, &tv);
  if (n == SOCKET_ERROR) return -1;
  return n > 0 ? 1 : 0;
}

TcpStream::Connect Classify(int error) {
  if (error == WSAECONNREFUSED) return TcpStream::Connect::Refused;
  if (error == WSAEACCES) return TcpStream::Connect::Denied;
  return TcpStream::Connect::Failed;
}

bool WouldBlock(int error) { return error == WSAEWOULDBLOCK || error == WSAEINTR; }
bool PeerEnded(int error) {
  return error == WSAECONNRESET || error == WSAECONNABORTED || error == WSAENOTCONN || error == WSAESHUTDOWN;
}

int Clamp(std::size_t length) { return static_cast<int>(std::min<std::size_t>(length, INT_MAX)); }

}  // namespace

TcpStream::~TcpStream() { Close(); }

void TcpStream::Close() {
  if (m_handle == kNone) return;
  ::closesocket(Sock(m_handle));
  m_handle = kNone;
}

TcpStream::Connect TcpStream::Open(std::uint32_t ipv4, std::uint16_t port, int timeoutMs) {
  Close();
  if (!WinsockUp()) return Connect::Failed;
  // Not inherited: a program the tool starts must not keep the device's connection alive.
  const SOCKET s = ::WSASocketW(AF_INET, SOCK_STREAM, IPPROTO_TCP, nullptr, 0, WSA_FLAG_NO_HANDLE_INHERIT);
  if (s == INVALID_SOCKET) return Connect::Failed;
  m_handle = static_cast<std::intptr_t>(s);
  u_long nonBlocking = 1;
  const BOOL noDelay = TRUE;
  if (::ioctlsocket(s, FIONBIO, &nonBlocking) != 0 ||
      ::setsockopt(s, IPPROTO_TCP, TCP_NODELAY, reinterpret_cast<const char*>(&noDelay), sizeof noDelay) != 0) {
    Close();
    return Connect::Failed;
  }
  sockaddr_in addr{};
  addr.sin_family = AF_INET;
  addr.sin_port = ::htons(port);
  addr.sin_addr.s_addr = ::htonl(ipv4);
  if (::connect(s, reinterpret_cast<const sockaddr*>(&addr), sizeof addr) == 0) return Connect::Ok;
  int error = ::WSAGetLastError();
  if (error == WSAEWOULDBLOCK) {
    // Under way: the connection's own error tells how it ended. (Windows retries a refused
    // loopback connect for a while; the time-out then says no device, as a refusal would.)
    int length = sizeof error;
    if (SelectOne(s, /*forWrite=*/true, timeoutMs) <= 0)
      error = WSAETIMEDOUT;
    else if (::getsockopt(s, SOL_SOCKET, SO_ERROR, reinterpret_cast<char*>(&error), &length) != 0)
      error = ::WSAGetLastError();
    if (error == 0) return Connect::Ok;
  }
  Close();
  return Classify(error);
}

TcpStream::Wait TcpStream::WaitReadable(int timeoutMs) {
  const int n = SelectOne(Sock(m_handle), /*forWrite=*/false, timeoutMs);
  return n == 0 ? Wait::Timeout : n < 0 ? Wait::Failed : Wait::Ready;
}

TcpStream::Wait TcpStream::WaitWritable(int timeoutMs) {
  const int n = SelectOne(Sock(m_handle), /*forWrite=*/true, timeoutMs);
  return n == 0 ? Wait::Timeout : n < 0 ? Wait::Failed : Wait::Ready;
}

TcpStream::Io TcpStream::Send(const std::uint8_t* data, std::size_t length) {
  const int n = ::send(Sock(m_handle), reinterpret_cast<const char*>(data), Clamp(length), 0);
  if (n > 0) return {Io::Done, static_cast<std::size_t>(n)};
  if (n == 0) return {Io::WouldBlock, 0};
  const int error = ::WSAGetLastError();
  if (WouldBlock(error)) return {Io::WouldBlock, 0};
  return {PeerEnded(error) ? Io::Closed : Io::Failed, 0};
}

TcpStream::Io TcpStream::Receive(std::uint8_t* data, std::size_t capacity) {
  const int n = ::recv(Sock(m_handle), reinterpret_cast<char*>(data), Clamp(capacity), 0);
  if (n > 0) return {Io::Done, static_cast<std::size_t>(n)};
  if (n == 0) return {Io::Closed, 0};
  const int error = ::WSAGetLastError();
  if (WouldBlock(error)) return {Io::WouldBlock, 0};
  return {PeerEnded(error) ? Io::Closed : Io::Failed, 0};
}

bool TcpStream::PeerGone() {
  if (m_handle == kNone) return true;
  const int n = SelectOne(Sock(m_handle), /*forWrite=*/false, 0);
  if (n <= 0) return n < 0;
  // Readable: an orderly end reads as zero bytes once nothing is waiting before it.
  char byte = 0;
  const int got = ::recv(Sock(m_handle), &byte, 1, MSG_PEEK);
  return got == 0 || (got == SOCKET_ERROR && !WouldBlock(::WSAGetLastError()));
}

}  // namespace quorvin::net
