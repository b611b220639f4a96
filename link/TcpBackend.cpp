#include "link/TcpBackend.h"

#include <algorithm>
#include <cstring>

#include "host/Clock.h"
#include "link/NetSocket.h"
#include "protocol/Frame.h"

namespace quorvin {

namespace {

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

class TcpReportStream final : public ReportStream {
 public:
  using Result = ReportStream::Result;

  net::TcpStream& Stream() { return m_stream; }

  Result Send(const std::uint8_t* report, qint64 deadline) override {
    std::size_t sent = 0;
    while (sent < kReportSize) {
      const auto io = m_stream.Send(report + sent, kReportSize - sent);
      if (io.status == net::TcpStream::Io::Done) {
        sent += io.bytes;
        continue;
      }
      if (io.status == net::TcpStream::Io::Closed) return {HidIo::Disconnected, true};
      HidIo failure = HidIo::Error;
      if (io.status == net::TcpStream::Io::WouldBlock) {
        const auto ready = m_stream.WaitWritable(LeftMs(deadline));
        if (ready == net::TcpStream::Wait::Ready) continue;
        failure = ready == net::TcpStream::Wait::Timeout ? HidIo::Timeout : HidIo::Error;
      }
      // Part of a report on the stream: the peer would read the next one out of step.
      return {failure, sent > 0};
    }
    return {HidIo::Ok};
  }

  Result Receive(std::uint8_t* report, qint64 deadline) override {
    for (;;) {
      const auto io = m_stream.Receive(m_rx + m_rxFill, kReportSize - m_rxFill);
      if (io.status == net::TcpStream::Io::Closed) return {HidIo::Disconnected, true};
      if (io.status == net::TcpStream::Io::Failed) return {HidIo::Error};
      if (io.status == net::TcpStream::Io::WouldBlock) {
        const auto ready = m_stream.WaitReadable(LeftMs(deadline));
        if (ready == net::TcpStream::Wait::Timeout) return {HidIo::Timeout};
        if (ready == net::TcpStream::Wait::Failed) return {HidIo::Error};
        continue;
      }
      m_rxFill += io.bytes;
      if (m_rxFill < kReportSize) continue;
      m_rxFill = 0;
      if (m_rxStale) {
        m_rxStale = false;
        continue;
      }
      // The stream no longer falls into reports where it should: nothing more can be trusted on it.
      if (m_rx[0] != 0x00) return {HidIo::Error, true};
      std::memcpy(report, m_rx, kReportSize);
      return {HidIo::Ok};
    }
  }

  // Only whole reports are dropped; one still arriving is marked to be dropped when it is complete.
  bool DiscardPending() override {
    bool alive = true;
    for (;;) {
      const auto io = m_stream.Receive(m_rx + m_rxFill, kReportSize - m_rxFill);
      if (io.status != net::TcpStream::Io::Done) {
        alive = io.status == net::TcpStream::Io::WouldBlock;
        break;
      }
      m_rxFill = (m_rxFill + io.bytes) % kReportSize;
    }
    m_rxStale = m_rxFill > 0;
    return alive;
  }

  bool PeerGone() override { return m_stream.PeerGone(); }

 private:
  net::TcpStream m_stream;
  // A report comes in as many pieces as TCP likes; what has come of it so far waits here, across
  // reads that time out.
  std::uint8_t m_rx[kReportSize] = {};
  std::size_t m_rxFill = 0;
  bool m_rxStale = false;  // the report begun in m_rx arrived before the device was opened
};

}  // namespace

TcpBackend::TcpBackend(const TcpAddress& address)
    : StreamHidBackend(QStringLiteral("socket tcp:") + address.Text()),
      m_address(address),
      m_path(QStringLiteral("tcp:") + address.Text()) {}

TcpBackend::Attach TcpBackend::Connect(const QString&, std::unique_ptr<ReportStream>& stream, HidHello& hello) {
  auto conn = std::make_unique<TcpReportStream>();
  net::TcpStream& s = conn->Stream();
  // The connect and the hello together.
  const qint64 deadline = MonoMs() + kHelloTimeoutMs;
  switch (s.Open(m_address.ipv4, m_address.port, kHelloTimeoutMs)) {
    case net::TcpStream::Connect::Ok:
      break;
    case net::TcpStream::Connect::Denied:
      return Attach::Refused;
    case net::TcpStream::Connect::Refused:
    case net::TcpStream::Connect::Failed:
      return Attach::Absent;
  }
  // The device speaks first: its vendor and product id.
  std::uint8_t ids[kHelloSize];
  if (!ReadExactly(s, ids, sizeof ids, deadline)) return Attach::BadHello;
  hello.vendorId = static_cast<std::uint16_t>(ids[0] | ids[1] << 8);
  hello.productId = static_cast<std::uint16_t>(ids[2] | ids[3] << 8);
  stream = std::move(conn);
  return Attach::Linked;
}

}  // namespace quorvin
