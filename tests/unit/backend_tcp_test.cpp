// The TCP form of the virtual HID link: the tool's backend against a device side of bare system
// calls that cuts the stream where it likes, the addresses both sides accept, and the sim's TCP
// server judging upload pauses by when reports arrived.

#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <thread>

#include "link/Backends.h"
#include "link/TcpBackend.h"
#include "sim/HidTcpServer.h"
#include "sim/SimOptions.h"

namespace quorvin {
namespace {

using std::chrono::milliseconds;

// Listens on 127.0.0.1 at a port of the system's choosing.
class RawTcpPeer {
 public:
  RawTcpPeer() {
    m_listen = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof addr;
    EXPECT_EQ(::bind(m_listen, reinterpret_cast<sockaddr*>(&addr), sizeof addr), 0);
    EXPECT_EQ(::listen(m_listen, 4), 0);
    EXPECT_EQ(::getsockname(m_listen, reinterpret_cast<sockaddr*>(&addr), &length), 0);
    m_port = ntohs(addr.sin_port);
  }
  ~RawTcpPeer() {
    HangUp();
    StopListening();
  }
  TcpAddress Address() const { return {0x7F000001u, m_port}; }

  // Runs `discover` while this side accepts and greets, the hello in two pieces; answers what
  // `discover` did and whether a connection was accepted.
  template <typename Fn>
  auto Greet(Fn&& discover) {
    bool accepted = false;
    std::thread device([&] {
      pollfd p{m_listen, POLLIN, 0};
      if (::poll(&p, 1, 2000) != 1) return;
      HangUp();
      m_conn = ::accept(m_listen, nullptr, nullptr);
      accepted = true;
      Send({0x83, 0x04});
      std::this_thread::sleep_for(milliseconds(5));
      Send({0x34, 0x12});
    });
    auto result = discover();
    device.join();
    return std::make_pair(result, accepted);
  }
  void Send(const std::vector<std::uint8_t>& bytes) {
    EXPECT_EQ(::send(m_conn, bytes.data(), bytes.size(), MSG_NOSIGNAL), static_cast<ssize_t>(bytes.size()));
  }
  // Whatever has come within 200 ms, up to 200 bytes.
  std::vector<std::uint8_t> Receive() {
    std::vector<std::uint8_t> buf(200);
    std::size_t got = 0;
    pollfd p{m_conn, POLLIN, 0};
    while (::poll(&p, 1, 200) == 1) {
      const ssize_t n = ::recv(m_conn, buf.data() + got, buf.size() - got, 0);
      if (n <= 0) break;
      got += static_cast<std::size_t>(n);
    }
    buf.resize(got);
    return buf;
  }
  void HangUp() {
    if (m_conn >= 0) ::close(m_conn);
    m_conn = -1;
  }
  // One more connection, accepted within 2 s (-1 if none came); the caller closes it.
  int AcceptOne() {
    pollfd p{m_listen, POLLIN, 0};
    return ::poll(&p, 1, 2000) == 1 ? ::accept(m_listen, nullptr, nullptr) : -1;
  }
  void StopListening() {
    if (m_listen >= 0) ::close(m_listen);
    m_listen = -1;
  }

 private:
  int m_listen = -1;
  int m_conn = -1;
  std::uint16_t m_port = 0;
};

std::vector<std::uint8_t> Report65(std::uint8_t marker) {
  std::vector<std::uint8_t> r(65, 0);
  r[1] = 0x55;
  r[2] = 0xAA;
  r[10] = marker;
  return r;
}

std::vector<std::uint8_t> Cat(std::vector<std::uint8_t> a, const std::vector<std::uint8_t>& b) {
  a.insert(a.end(), b.begin(), b.end());
  return a;
}

std::vector<std::uint8_t> Part(const std::vector<std::uint8_t>& r, std::size_t from, std::size_t to) {
  return {r.begin() + static_cast<std::ptrdiff_t>(from), r.begin() + static_cast<std::ptrdiff_t>(to)};
}

TEST(TcpBackend, CutsTheStreamIntoReports) {
  RawTcpPeer peer;
  TcpBackend backend(peer.Address());
  const auto [found, accepted] = peer.Greet([&] { return backend.Enumerate(); });
  ASSERT_EQ(found.size(), 1u);
  EXPECT_EQ(found[0].path, QStringLiteral("tcp:") + peer.Address().Text());
  EXPECT_EQ(found[0].vendorId, 0x0483);
  EXPECT_EQ(found[0].productId, 0x1234);

  std::unique_ptr<HidHandle> h;
  ASSERT_EQ(backend.Open(found[0].path, h), HidOpen::Ok);
  const auto out = Report65(0x42);
  ASSERT_EQ(h->Write(out.data(), out.size(), 300), HidIo::Ok);
  EXPECT_EQ(peer.Receive(), out);

  // A report in two pieces, the first before a read times out; then the rest with a whole one.
  std::uint8_t data[64] = {};
  peer.Send(Part(Report65(1), 0, 20));
  EXPECT_EQ(h->Read(data, sizeof data, 30), HidIo::Timeout);
  peer.Send(Cat(Part(Report65(1), 20, 65), Report65(2)));
  ASSERT_EQ(h->Read(data, sizeof data, 1000), HidIo::Ok);
  EXPECT_EQ(data[0], 0x55);  // report ID left off
  EXPECT_EQ(data[9], 1);
  ASSERT_EQ(h->Read(data, sizeof data, 1000), HidIo::Ok);
  EXPECT_EQ(data[9], 2);

  // Looking for the device again neither reconnects nor eats what the device sent.
  peer.Send(Report65(3));
  EXPECT_EQ(backend.Enumerate().size(), 1u);
  ASSERT_EQ(h->Read(data, sizeof data, 1000), HidIo::Ok);
  EXPECT_EQ(data[9], 3);

  // What came while nobody had the device open is dropped on the next open, a report begun then
  // included, and the stream stays in step.
  h.reset();
  peer.Send(Cat(Report65(4), Part(Report65(5), 0, 10)));
  std::this_thread::sleep_for(milliseconds(20));
  ASSERT_EQ(backend.Open(found[0].path, h), HidOpen::Ok);
  peer.Send(Cat(Part(Report65(5), 10, 65), Report65(6)));
  ASSERT_EQ(h->Read(data, sizeof data, 1000), HidIo::Ok);
  EXPECT_EQ(data[9], 6);

  // A report ID other than 0 means the stream is out of step: an error, and the link is dropped.
  auto odd = Report65(7);
  odd[0] = 0x01;
  peer.Send(odd);
  EXPECT_EQ(h->Read(data, sizeof data, 1000), HidIo::Error);
  EXPECT_EQ(h->Read(data, sizeof data, 1000), HidIo::Disconnected);
}

TEST(TcpBackend, NobodyListeningIsNoDeviceAndAHangUpIsTheDeviceGone) {
  RawTcpPeer peer;
  TcpBackend backend(peer.Address());
  ASSERT_EQ(peer.Greet([&] { return backend.Enumerate(); }).first.size(), 1u);
  std::unique_ptr<HidHandle> h;
  ASSERT_EQ(backend.Open(QStringLiteral("tcp:") + peer.Address().Text(), h), HidOpen::Ok);

  peer.HangUp();
  std::uint8_t data[64];
  EXPECT_EQ(h->Read(data, sizeof data, 1000), HidIo::Disconnected);
  const auto out = Report65(1);
  EXPECT_EQ(h->Write(out.data(), out.size(), 300), HidIo::Disconnected);

  // Enumerating alone notices a hang-up and connects afresh.
  ASSERT_EQ(peer.Greet([&] { return backend.Enumerate(); }).first.size(), 1u);
  peer.HangUp();
  std::this_thread::sleep_for(milliseconds(20));
  const auto [again, reconnected] = peer.Greet([&] { return backend.Enumerate(); });
  EXPECT_EQ(again.size(), 1u);
  EXPECT_TRUE(reconnected);

  // Nobody listening: no device, as a missing socket file.
  peer.HangUp();
  peer.StopListening();
  EXPECT_TRUE(backend.Enumerate().empty());
  EXPECT_EQ(backend.Open(QStringLiteral("tcp:") + peer.Address().Text(), h), HidOpen::Failed);
}

TEST(TcpBackend, UnitsOnOnePortAreNamedFirstAndSayHowLongTheirSerialIs) {
  RawTcpPeer peer;
  TcpBackend backend(peer.Address(), 4);
  // Unit 1 says QV7, unit 2 has no serial number, unit 3 a length past 126, unit 4 is not there.
  std::vector<int> asked;
  std::vector<int> open;
  std::thread device([&] {
    for (int i = 0; i < 4; ++i) {
      const int fd = peer.AcceptOne();
      std::uint8_t unit = 0;
      pollfd p{fd, POLLIN, 0};
      if (fd < 0 || ::poll(&p, 1, 2000) != 1 || ::recv(fd, &unit, 1, 0) != 1) break;
      asked.push_back(unit);
      std::vector<std::uint8_t> hello{0x83, 0x04, 0x34, 0x12};
      if (unit == 1) hello.insert(hello.end(), {3, 'Q', 'V', '7'});
      if (unit == 2) hello.push_back(0);
      if (unit == 3) hello.insert(hello.end(), {200, 'x'});
      if (unit != 4) (void)::send(fd, hello.data(), hello.size(), MSG_NOSIGNAL);
      if (unit == 4)
        ::close(fd);
      else
        open.push_back(fd);
    }
  });
  const auto found = backend.Enumerate();
  device.join();
  for (const int fd : open) ::close(fd);
  EXPECT_EQ(asked, (std::vector<int>{1, 2, 3, 4}));
  ASSERT_EQ(found.size(), 3u);
  const QString base = QStringLiteral("tcp:") + peer.Address().Text();
  EXPECT_EQ(found[0].path, base + "#1");
  EXPECT_EQ(found[0].location, "sim:1");
  EXPECT_EQ(found[0].serial, "QV7");
  EXPECT_TRUE(found[1].attributesOk);
  EXPECT_EQ(found[1].serial, "");
  EXPECT_FALSE(found[2].attributesOk);  // says it is someone, then not who
  // Each unit is locked by its address and number, never by what it says it is.
  EXPECT_EQ(backend.LockName(found[1]), base + "#2");
}

TEST(TcpBackend, TheUnitsFormAgainstASingleUnitPortWaitsOnceNotOncePerUnit) {
  RawTcpPeer peer;  // greets at once with the 4-byte hello, never a serial number's length
  TcpBackend backend(peer.Address(), 3);
  const auto start = std::chrono::steady_clock::now();
  const auto [found, accepted] = peer.Greet([&] { return backend.Enumerate(); });
  EXPECT_LT(std::chrono::steady_clock::now() - start, milliseconds(2 * StreamHidBackend::kHelloTimeoutMs));
  ASSERT_EQ(found.size(), 3u);
  for (const HidDeviceInfo& unit : found) EXPECT_FALSE(unit.attributesOk) << unit.path.toStdString();
}

TEST(TcpAddress, OnlyWellFormedLoopbackAddressesAreTaken) {
  for (const char* good : {"tcp:127.0.0.1:5555", "tcp:127.1.2.3:1", "tcp:localhost:65535", "tcp:127.0.0.1:5555/3"}) {
    QString why;
    EXPECT_NE(MakeSocketBackend(QString::fromLatin1(good), &why), nullptr) << good << ": " << why.toStdString();
  }
  for (const char* bad : {"tcp:",
                          "tcp:127.0.0.1",
                          "tcp:127.0.0.1:",
                          "tcp:127.0.0.1:0",
                          "tcp:127.0.0.1:65536",
                          "tcp:127.0.0.1:-1",
                          "tcp:127.0.0.1:+80",
                          "tcp:127.0.0.1: 80",
                          "tcp:127.0.0.1:0x50",
                          "tcp:127.0.0.1:99999999999",
                          "tcp:127.0.0:80",
                          "tcp:127.0.0.256:80",
                          "tcp:10.0.0.1:80",
                          "tcp:0.0.0.0:80",
                          "tcp:[::1]:80",
                          "tcp:example.com:80",
                          "tcp:127.0.0.1:80/",
                          "tcp:127.0.0.1:80/0",
                          "tcp:127.0.0.1:80/256",
                          "tcp:127.0.0.1:80/+3",
                          "tcp:127.0.0.1:80/x",
                          "tcp:127.0.0.1/3"}) {
    QString why;
    EXPECT_EQ(MakeSocketBackend(QString::fromLatin1(bad), &why), nullptr) << bad;
    EXPECT_FALSE(why.isEmpty()) << bad;
  }
  // The sim takes port 0 (a free one) but serves nowhere else than the loopback.
  DeviceModel model;
  SimSetup setup{model};
  QString error;
  EXPECT_TRUE(ParseSimArgs({"--hid-tcp", "127.0.0.1:0"}, setup, error)) << error.toStdString();
  EXPECT_FALSE(ParseSimArgs({"--hid-tcp", "192.168.1.20:5000"}, setup, error));
  EXPECT_FALSE(error.isEmpty());
}

// An upload packet in a report: 00 55 AA 01 C3 L count number data checksum.
Report UpgradePacket(int count, int number, int dataBytes) {
  std::vector<std::uint8_t> body = {kDirRequest,
                                    cmd::UsbUpgrade,
                                    static_cast<std::uint8_t>(dataBytes + 4),
                                    0,
                                    static_cast<std::uint8_t>(count),
                                    0,
                                    static_cast<std::uint8_t>(number)};
  body.insert(body.end(), static_cast<std::size_t>(dataBytes), 0x42);
  body.push_back(static_cast<std::uint8_t>(ComputeChecksum(body.data(), body.size())));
  Report r{};
  r[1] = kStart1;
  r[2] = kStart2;
  std::copy(body.begin(), body.end(), r.begin() + 3);
  return r;
}

TEST(HidTcpServer, JudgesPausesByWhenReportsArrivedNotWhenItReadThem) {
  // The sim is not scheduled for a while after packet 1 arrives; the pause check must still see
  // the pause the host kept. Packet 2 comes in two pieces.
  RealClock clock;
  DeviceModel model;
  model.SetPauseToleranceMs(4000 - 60);  // the first pause must look at least 60 ms long
  HidTcpServer server(model, clock);
  QString error;
  ASSERT_TRUE(server.Listen({0x7F000001u, 0}, error)) << error.toStdString();
  ASSERT_NE(server.Address().port, 0);
  // As a host that starts after the sim's ready line: the kernel's stamps are on by then.
  std::this_thread::sleep_for(milliseconds(50));
  const auto serveOnce = [&] {
    std::vector<pollfd> fds;
    server.CollectPollFds(fds);
    (void)::poll(fds.data(), fds.size(), 200);
    server.Service(fds, clock.NowMs());
  };

  const int host = ::socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in addr{};
  addr.sin_family = AF_INET;
  addr.sin_port = htons(server.Address().port);
  addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  ASSERT_EQ(::connect(host, reinterpret_cast<sockaddr*>(&addr), sizeof addr), 0);
  serveOnce();  // accepts and greets
  std::uint8_t hello[8];
  ASSERT_EQ(::recv(host, hello, sizeof hello, 0), 4);

  const Report first = UpgradePacket(2, 1, 52);
  const Report second = UpgradePacket(2, 2, 1);
  ASSERT_EQ(::send(host, first.data(), kReportSize, 0), static_cast<ssize_t>(kReportSize));
  std::this_thread::sleep_for(milliseconds(70));  // the sim is busy elsewhere
  serveOnce();
  std::this_thread::sleep_for(milliseconds(20));
  ASSERT_EQ(::send(host, second.data(), 30, 0), 30);
  serveOnce();
  ASSERT_EQ(::send(host, second.data() + 30, kReportSize - 30, 0), static_cast<ssize_t>(kReportSize - 30));
  serveOnce();
  serveOnce();
  std::uint8_t ack[kReportSize] = {};
  ASSERT_EQ(::recv(host, ack, sizeof ack, MSG_WAITALL), static_cast<ssize_t>(kReportSize));
  EXPECT_EQ(ack[6], status::Accepted) << model.LastUpload()->reason.toStdString();
  ::close(host);
}

}  // namespace
}  // namespace quorvin
