#include "link/TcpBackend.h"

#include <algorithm>
#include <cstring>

#include "host/Clock.h"
#include "link/NetSocket.h"
#include "protocol/Frame.h"

namespace quorvin {

namespace {

int LeftMs(qint64 deadline) { return static_cast<int>(std::clamp<qint64>(deadline - MonoMs(), 0, 60'000)); }

enum class Got { All, Closed, Failed };

// Reads exactly `length` bytes before `deadline`. Closed: the peer ended the connection before
// the first of them.
Got ReadExactly(net::TcpStream& s, std::uint8_t* data, std::size_t length, qint64 deadline) {
  std::size_t got = 0;
  while (got < length) {
    const auto io = s.Receive(data + got, length - got);
    if (io.status == net::TcpStream::Io::Done) {
      got += io.bytes;
    } else if (io.status == net::TcpStream::Io::Closed) {
      return got == 0 ? Got::Closed : Got::Failed;
    } else if (io.status != net::TcpStream::Io::WouldBlock ||
               s.WaitReadable(LeftMs(deadline)) != net::TcpStream::Wait::Ready) {
      return Got::Failed;
    }
  }
  return Got::All;
}

bool WriteAll(net::TcpStream& s, const std::uint8_t* data, std::size_t length, qint64 deadline) {
  std::size_t sent = 0;
  while (sent < length) {
    const auto io = s.Send(data + sent, length - sent);
    if (io.status == net::TcpStream::Io::Done)
      sent += io.bytes;
    else if (io.status != net::TcpStream::Io::WouldBlock ||
             s.WaitWritable(LeftMs(deadline)) != net::TcpStream::Wait::Ready)
      return false;
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

TcpBackend::TcpBackend(const TcpAddress& address, int units)
    : StreamHidBackend(QStringLiteral("socket tcp:") + address.Text() +
                       (units > 0 ? QStringLiteral("/%1").arg(units) : QString())),
      m_address(address),
      m_units(std::clamp(units, 0, kMaxUnits)) {
  const QString base = QStringLiteral("tcp:") + address.Text();
  if (m_units == 0) m_paths << base;
  for (int k = 1; k <= m_units; ++k) m_paths << base + QStringLiteral("#%1").arg(k);
}

QString TcpBackend::LocationOf(const QString& path) const {
  if (m_units == 0) return {};
  return QStringLiteral("sim:") + QString::number(m_paths.indexOf(path) + 1);
}

TcpBackend::Attach TcpBackend::Unanswered(qint64 deadline) {
  if (m_units > 0 && MonoMs() >= deadline) m_quietUntilMs = MonoMs() + kQuietMs;
  return Attach::BadHello;
}

TcpBackend::Attach TcpBackend::Connect(const QString& path, std::unique_ptr<ReportStream>& stream, HidHello& hello) {
  if (m_units > 0 && MonoMs() < m_quietUntilMs) return Attach::BadHello;
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
  if (m_units > 0) {
    // Which unit this connection is for.
    const auto unit = static_cast<std::uint8_t>(m_paths.indexOf(path) + 1);
    if (!WriteAll(s, &unit, 1, deadline)) return Unanswered(deadline);
  }
  // The device speaks first: its vendor and product id, then on the units' port its serial number.
  std::uint8_t ids[kHelloSize];
  const Got got = ReadExactly(s, ids, sizeof ids, deadline);
  if (got == Got::Closed && m_units > 0) return Attach::Absent;  // that unit is not plugged in
  if (got != Got::All) return Unanswered(deadline);
  hello.vendorId = static_cast<std::uint16_t>(ids[0] | ids[1] << 8);
  hello.productId = static_cast<std::uint16_t>(ids[2] | ids[3] << 8);
  if (m_units > 0) {
    std::uint8_t length = 0;
    std::uint8_t serial[kMaxSerialBytes];
    if (ReadExactly(s, &length, 1, deadline) != Got::All || length > kMaxSerialBytes ||
        ReadExactly(s, serial, length, deadline) != Got::All)
      return Unanswered(deadline);
    hello.serial = SerialFromHello(serial, length);
  }
  stream = std::move(conn);
  return Attach::Linked;
}

}  // namespace quorvin
