#include "link/TcpBackend.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstring>

#include "link/HidLink.h"
#include "link/NetSocket.h"

namespace quorvin {

namespace {
constexpr std::size_t kReport = 65;

qint64 MonoMs() {
  using namespace std::chrono;
  return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

int LeftMs(qint64 deadline) { return static_cast<int>(std::clamp<qint64>(deadline - MonoMs(), 0, 60'000)); }

// Reads exactly `length` bytes before `deadline`.
bool ReadExactly(net::TcpStream& s, std::uint8_t* data, std::size_t length, qint64 deadline) {
  std::size_t got = 0;
  while (got < length) {
    const auto io = s.Receive(data + got, length - got);
    if (io.status == net::TcpStream::Io::Done) {
      got += io.bytes;
    } else if (io.status != net::TcpStream::Io::WouldBlock ||
               s.WaitReadable(LeftMs(deadline)) != net::TcpStream::Wait::Ready) {
      return false;
    }
  }
  return true;
}
}  // namespace

struct TcpBackend::Connection {
  net::TcpStream stream;
  std::uint16_t vendorId = 0;
  std::uint16_t productId = 0;
  std::atomic<bool> dead{false};
  // A report comes in as many pieces as TCP likes; what has come of it so far waits here, across
  // reads that time out.
  std::uint8_t rx[kReport] = {};
  std::size_t rxFill = 0;
  bool rxStale = false;  // the report begun in rx arrived before the device was opened
};

namespace {
class TcpHandle final : public HidHandle {
 public:
  explicit TcpHandle(std::shared_ptr<TcpBackend::Connection> conn) : m_conn(std::move(conn)) {}

  HidIo Write(const std::uint8_t* report, std::size_t length, int timeoutMs) override {
    if (m_conn->dead) return HidIo::Disconnected;
    if (length > kReport) return HidIo::Error;
    std::uint8_t buf[kReport] = {};
    std::memcpy(buf, report, length);
    const qint64 deadline = MonoMs() + std::max(timeoutMs, 0);
    std::size_t sent = 0;
    while (sent < kReport) {
      const auto io = m_conn->stream.Send(buf + sent, kReport - sent);
      if (io.status == net::TcpStream::Io::Done) {
        sent += io.bytes;
        continue;
      }
      if (io.status == net::TcpStream::Io::Closed) return Lost();
      HidIo failure = HidIo::Error;
      if (io.status == net::TcpStream::Io::WouldBlock) {
        const auto ready = m_conn->stream.WaitWritable(LeftMs(deadline));
        if (ready == net::TcpStream::Wait::Ready) continue;
        failure = ready == net::TcpStream::Wait::Timeout ? HidIo::Timeout : HidIo::Error;
      }
      return sent == 0 ? failure : OutOfStep(failure);
    }
    return HidIo::Ok;
  }

  HidIo Read(std::uint8_t* data, std::size_t capacity, int timeoutMs) override {
    TcpBackend::Connection& c = *m_conn;
    const qint64 deadline = MonoMs() + std::max(timeoutMs, 0);
    for (;;) {
      if (c.dead) return HidIo::Disconnected;
      const auto io = c.stream.Receive(c.rx + c.rxFill, kReport - c.rxFill);
      if (io.status == net::TcpStream::Io::Closed) return Lost();
      if (io.status == net::TcpStream::Io::Failed) return HidIo::Error;
      if (io.status == net::TcpStream::Io::WouldBlock) {
        const auto ready = c.stream.WaitReadable(LeftMs(deadline));
        if (ready == net::TcpStream::Wait::Timeout) return HidIo::Timeout;
        if (ready == net::TcpStream::Wait::Failed) return HidIo::Error;
        continue;
      }
      c.rxFill += io.bytes;
      if (c.rxFill < kReport) continue;
      c.rxFill = 0;
      if (c.rxStale) {
        c.rxStale = false;
        continue;
      }
      if (c.rx[0] != 0x00) return OutOfStep(HidIo::Error);
      std::memcpy(data, c.rx + 1, std::min(capacity, kReport - 1));
      return HidIo::Ok;
    }
  }

 private:
  HidIo Lost() {
    m_conn->dead = true;
    return HidIo::Disconnected;
  }
  // The stream no longer falls into reports where it should: nothing more can be trusted on it.
  HidIo OutOfStep(HidIo io) {
    m_conn->dead = true;
    return io;
  }
  std::shared_ptr<TcpBackend::Connection> m_conn;
};

// Reports that arrived while the device was not open are not for the new opener. Only whole
// reports are dropped; one still arriving is marked to be dropped when it is complete.
void DiscardPending(TcpBackend::Connection& c) {
  for (;;) {
    const auto io = c.stream.Receive(c.rx + c.rxFill, kReport - c.rxFill);
    if (io.status != net::TcpStream::Io::Done) {
      if (io.status != net::TcpStream::Io::WouldBlock) c.dead = true;
      break;
    }
    c.rxFill = (c.rxFill + io.bytes) % kReport;
  }
  c.rxStale = c.rxFill > 0;
}
}  // namespace

TcpBackend::TcpBackend(const TcpAddress& address)
    : m_address(address), m_path(QStringLiteral("tcp:") + address.Text()) {}
TcpBackend::~TcpBackend() = default;

TcpBackend::Attach TcpBackend::Connect() {
  auto conn = std::make_shared<Connection>();
  const qint64 deadline = MonoMs() + kHelloTimeoutMs;
  switch (conn->stream.Open(m_address.ipv4, m_address.port, kHelloTimeoutMs)) {
    case net::TcpStream::Connect::Ok:
      break;
    case net::TcpStream::Connect::Denied:
      return Attach::Refused;
    case net::TcpStream::Connect::Refused:
    case net::TcpStream::Connect::Failed:
      return Attach::Absent;
  }
  // The device speaks first: its vendor and product id.
  std::uint8_t hello[kHelloSize];
  if (!ReadExactly(conn->stream, hello, sizeof hello, deadline)) return Attach::BadHello;
  conn->vendorId = static_cast<std::uint16_t>(hello[0] | hello[1] << 8);
  conn->productId = static_cast<std::uint16_t>(hello[2] | hello[3] << 8);
  m_conn = std::move(conn);
  return Attach::Linked;
}

TcpBackend::Attach TcpBackend::Refresh() {
  if (m_conn) {
    // Only looks: no report is taken off the link.
    if (!m_conn->dead && !m_conn->stream.PeerGone()) return Attach::Linked;
    m_conn->dead = true;  // a handle still holding it learns the device is gone
    m_conn.reset();
  }
  return Connect();
}

std::vector<HidDeviceInfo> TcpBackend::Enumerate() {
  std::lock_guard lock(m_mutex);
  switch (Refresh()) {
    case Attach::Linked:
      return {HidDeviceInfo{m_path, m_conn->vendorId, m_conn->productId, true}};
    case Attach::BadHello:
      // Something listens there but does not say who it is: an interface whose ids cannot be read.
      return {HidDeviceInfo{m_path, 0, 0, false}};
    case Attach::Refused:
      // The system keeps us from it: taken for the repeater, so the open that follows is refused
      // for permission rather than the device called absent.
      return {HidDeviceInfo{m_path, kVendorId, kProductId, true}};
    case Attach::Absent:
      break;
  }
  return {};
}

HidOpen TcpBackend::Open(const QString& path, std::unique_ptr<HidHandle>& handle) {
  std::lock_guard lock(m_mutex);
  if (path != m_path) return HidOpen::Failed;
  switch (Refresh()) {
    case Attach::Linked:
      break;
    case Attach::Refused:
      return HidOpen::AccessDenied;
    case Attach::Absent:
    case Attach::BadHello:
      return HidOpen::Failed;
  }
  DiscardPending(*m_conn);
  if (m_conn->dead) return HidOpen::Failed;
  handle = std::make_unique<TcpHandle>(m_conn);
  return HidOpen::Ok;
}

}  // namespace quorvin
