#pragma once
// The few TCP calls the virtual HID link needs, behind one small class so the link's logic is the
// same everywhere: NetSocketPosix.cpp on Unix, NetSocketWin.cpp (Winsock) on Windows. Plain C++
// without Qt, so the Windows file can be checked with the cross compiler alone.
//
// Every call is non-blocking; the waits take a time-out and return when it ends, so a caller that
// waits in slices can look for a stop request between them.

#include <cstddef>
#include <cstdint>

namespace quorvin::net {

class TcpStream {
 public:
  enum class Connect {
    Ok,
    Refused,  // nobody listens there
    Denied,   // the system would not let us connect
    Failed,   // anything else, a time-out included
  };
  enum class Wait { Ready, Timeout, Failed };
  struct Io {
    enum Status {
      Done,        // `bytes` moved (at least one)
      WouldBlock,  // nothing can move now
      Closed,      // the peer ended or reset the connection
      Failed,
    } status;
    std::size_t bytes;
  };

  TcpStream() = default;
  ~TcpStream();
  TcpStream(const TcpStream&) = delete;
  TcpStream& operator=(const TcpStream&) = delete;

  // Connects to an IPv4 address (host byte order) within timeoutMs; Nagle off, so each report
  // leaves when it is written and the peer sees the writer's own pace.
  [[nodiscard]] Connect Open(std::uint32_t ipv4, std::uint16_t port, int timeoutMs);
  void Close();
  [[nodiscard]] bool IsOpen() const { return m_handle != kNone; }

  // Ready: readable (data, an orderly end or an error to collect) or writable.
  [[nodiscard]] Wait WaitReadable(int timeoutMs);
  [[nodiscard]] Wait WaitWritable(int timeoutMs);
  [[nodiscard]] Io Send(const std::uint8_t* data, std::size_t length);
  [[nodiscard]] Io Receive(std::uint8_t* data, std::size_t capacity);
  // Whether the peer has ended the connection, without taking anything off it.
  [[nodiscard]] bool PeerGone();

 private:
  // Wide enough for a descriptor and for a Winsock SOCKET; both call "none" all bits set.
  static constexpr std::intptr_t kNone = -1;
  std::intptr_t m_handle = kNone;
};

}  // namespace quorvin::net
