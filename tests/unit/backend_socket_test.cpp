// The socket backend: first against a hand-made peer that checks the wire format byte for byte,
// then against the virtual repeater's own socket server.

#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <QTemporaryDir>
#include <chrono>
#include <cstring>
#include <thread>

#include "link/Backends.h"
#include "link/SocketBackend.h"
#include "link/UsbTransaction.h"
#include "sim/HidSocketServer.h"
#include "sim/SimLoop.h"
#include "support/RecordingFeedback.h"

namespace quorvin {
namespace {

// A device side written with bare system calls, independent of the sim's own server.
class RawPeer {
 public:
  RawPeer() : m_path(m_dir.path() + QStringLiteral("/hid.sock")) {
    sockaddr_un addr{};
    addr.sun_family = AF_UNIX;
    const QByteArray p = m_path.toLocal8Bit();
    std::memcpy(addr.sun_path, p.constData(), static_cast<std::size_t>(p.size()));
    m_listen = ::socket(AF_UNIX, SOCK_SEQPACKET, 0);
    EXPECT_EQ(::bind(m_listen, reinterpret_cast<sockaddr*>(&addr), sizeof addr), 0);
    EXPECT_EQ(::listen(m_listen, 4), 0);
  }
  ~RawPeer() {
    if (m_conn >= 0) ::close(m_conn);
    if (m_listen >= 0) ::close(m_listen);
  }
  const QString& Path() const { return m_path; }

  // Runs `discover` while this side accepts and greets with `hello`.
  template <typename Fn>
  auto Greet(std::vector<std::uint8_t> hello, Fn&& discover) {
    std::thread device([&] {
      pollfd p{m_listen, POLLIN, 0};
      if (::poll(&p, 1, 2000) != 1) return;
      m_conn = ::accept(m_listen, nullptr, nullptr);
      (void)::send(m_conn, hello.data(), hello.size(), 0);
    });
    auto result = discover();
    device.join();
    return result;
  }
  bool ConnectionPending() const {
    pollfd p{m_listen, POLLIN, 0};
    return ::poll(&p, 1, 0) == 1;
  }
  void Send(const std::vector<std::uint8_t>& message) {
    ASSERT_EQ(::send(m_conn, message.data(), message.size(), 0), static_cast<ssize_t>(message.size()));
  }
  std::vector<std::uint8_t> Receive() {
    std::vector<std::uint8_t> buf(200);
    pollfd p{m_conn, POLLIN, 0};
    if (::poll(&p, 1, 1000) != 1) return {};
    const ssize_t n = ::recv(m_conn, buf.data(), buf.size(), 0);
    buf.resize(n > 0 ? static_cast<std::size_t>(n) : 0);
    return buf;
  }
  void HangUp() {
    ::close(m_conn);
    m_conn = -1;
  }
  void Remove() {
    ::close(m_listen);
    m_listen = -1;
    ::unlink(m_path.toLocal8Bit().constData());
  }

 private:
  QTemporaryDir m_dir;
  QString m_path;
  int m_listen = -1;
  int m_conn = -1;
};

std::vector<std::uint8_t> Report65(std::uint8_t marker) {
  std::vector<std::uint8_t> r(65, 0);
  r[1] = 0x55;
  r[2] = 0xAA;
  r[10] = marker;
  return r;
}

TEST(SocketBackend, IsTheDefaultWhereTheEnvironmentNamesASocketPath) {
  qputenv("QUORVIN_HID_SOCKET", "/tmp/quorvin-test.sock");
  EXPECT_EQ(MakeDefaultBackend()->Name(), QStringLiteral("socket /tmp/quorvin-test.sock"));
  qunsetenv("QUORVIN_HID_SOCKET");
}

TEST(SocketBackend, SpeaksTheWireFormat) {
  RawPeer peer;
  SocketBackend backend(peer.Path());
  const auto found = peer.Greet({0x83, 0x04, 0x34, 0x12}, [&] { return backend.Enumerate(); });
  ASSERT_EQ(found.size(), 1u);
  EXPECT_EQ(found[0].path, peer.Path());
  EXPECT_EQ(found[0].vendorId, 0x0483);  // little-endian, vendor first
  EXPECT_EQ(found[0].productId, 0x1234);
  EXPECT_TRUE(found[0].attributesOk);

  std::unique_ptr<HidHandle> h;
  ASSERT_EQ(backend.Open(peer.Path(), h), HidOpen::Ok);
  const auto out = Report65(0x42);
  ASSERT_EQ(h->Write(out.data(), out.size(), 300), HidIo::Ok);
  EXPECT_EQ(peer.Receive(), out);  // exactly one 65-byte message, report ID included

  peer.Send(Report65(0x17));
  std::uint8_t data[64] = {};
  ASSERT_EQ(h->Read(data, sizeof data, 1000), HidIo::Ok);
  EXPECT_EQ(data[0], 0x55);  // report ID left off, as hidapi does
  EXPECT_EQ(data[9], 0x17);
  EXPECT_EQ(h->Read(data, sizeof data, 30), HidIo::Timeout);

  // Looking for the device again neither reconnects nor eats what the device sent.
  peer.Send(Report65(0x18));
  EXPECT_EQ(backend.Enumerate().size(), 1u);
  EXPECT_EQ(backend.Enumerate().size(), 1u);
  EXPECT_FALSE(peer.ConnectionPending());
  ASSERT_EQ(h->Read(data, sizeof data, 1000), HidIo::Ok);
  EXPECT_EQ(data[9], 0x18);

  // A message that is not one report is an error, not a report.
  peer.Send({0x00, 0x55, 0xAA});
  EXPECT_EQ(h->Read(data, sizeof data, 1000), HidIo::Error);
}

TEST(SocketBackend, OtherIdsAndUnreadableIds) {
  RawPeer other;
  SocketBackend a(other.Path());
  const auto found = other.Greet({0x83, 0x04, 0x50, 0x57}, [&] { return a.Enumerate(); });
  ASSERT_EQ(found.size(), 1u);
  EXPECT_EQ(found[0].productId, 0x5750);

  RawPeer mute;
  SocketBackend b(mute.Path());
  const auto unreadable = mute.Greet({0x83, 0x04, 0x34}, [&] { return b.Enumerate(); });
  ASSERT_EQ(unreadable.size(), 1u);
  EXPECT_FALSE(unreadable[0].attributesOk);
}

TEST(SocketBackend, TheHelloMayCarryASerialNumberButNotAGarbledOne) {
  const auto serialOf = [](std::vector<std::uint8_t> hello) {
    RawPeer peer;
    SocketBackend backend(peer.Path());
    const auto found = peer.Greet(std::move(hello), [&] { return backend.Enumerate(); });
    EXPECT_EQ(found.size(), 1u);
    EXPECT_EQ(found.at(0).location, "sim:hid");  // the socket's name without .sock
    return found.at(0).attributesOk ? found.at(0).serial : QStringLiteral("<ids unread>");
  };
  EXPECT_EQ(serialOf({0x83, 0x04, 0x34, 0x12, 'Q', 'V', '7'}), "QV7");
  EXPECT_EQ(serialOf({0x83, 0x04, 0x34, 0x12, 0xE4, 0xB8, 0xAD}), QString::fromUtf8("\xE4\xB8\xAD"));
  // Bad UTF-8 or a control character would end up in selectors and lock names: no serial number.
  EXPECT_EQ(serialOf({0x83, 0x04, 0x34, 0x12, 'Q', 0xFF}), "");
  EXPECT_EQ(serialOf({0x83, 0x04, 0x34, 0x12, 'Q', '\n', 'V'}), "");
  std::vector<std::uint8_t> tooLong{0x83, 0x04, 0x34, 0x12};
  tooLong.resize(4 + SocketBackend::kMaxSerialBytes + 1, 'x');
  EXPECT_EQ(serialOf(tooLong), "<ids unread>");
}

TEST(SocketBackend, NoticesTheDeviceGoing) {
  RawPeer peer;
  SocketBackend backend(peer.Path());
  ASSERT_EQ(peer.Greet({0x83, 0x04, 0x34, 0x12}, [&] { return backend.Enumerate(); }).size(), 1u);
  std::unique_ptr<HidHandle> h;
  ASSERT_EQ(backend.Open(peer.Path(), h), HidOpen::Ok);

  peer.HangUp();
  std::uint8_t data[64];
  EXPECT_EQ(h->Read(data, sizeof data, 1000), HidIo::Disconnected);
  const auto out = Report65(1);
  EXPECT_EQ(h->Write(out.data(), out.size(), 300), HidIo::Disconnected);

  // Reconnected while the socket is still there; gone once it disappears, even with the
  // connection still open.
  ASSERT_EQ(peer.Greet({0x83, 0x04, 0x34, 0x12}, [&] { return backend.Enumerate(); }).size(), 1u);
  peer.Remove();
  EXPECT_TRUE(backend.Enumerate().empty());
  EXPECT_EQ(backend.Open(peer.Path(), h), HidOpen::Failed);

  SocketBackend nowhere(QStringLiteral("/nonexistent/quorvin.sock"));
  EXPECT_TRUE(nowhere.Enumerate().empty());
}

// The sim's socket server on a thread of its own, stopped through its stop pipe.
class ServedModel {
 public:
  explicit ServedModel(const std::function<void(DeviceModel&)>& setUp = {}) {
    if (setUp) setUp(m_model);
    EXPECT_EQ(::pipe(m_stop), 0);
    auto server = std::make_unique<HidSocketServer>(m_model, m_clock);
    QString error;
    EXPECT_TRUE(server->Listen(Path(), error)) << error.toStdString();
    m_loop.Add(std::move(server));
    m_thread = std::thread([this] { m_loop.Run(m_stop[0]); });
  }
  ~ServedModel() {
    (void)::write(m_stop[1], "x", 1);
    m_thread.join();
    ::close(m_stop[0]);
    ::close(m_stop[1]);
  }
  QString Path() const { return m_dir.path() + QStringLiteral("/sim.sock"); }

 private:
  QTemporaryDir m_dir;
  RealClock m_clock;
  DeviceModel m_model;
  SimLoop m_loop{m_clock};
  int m_stop[2] = {-1, -1};
  std::thread m_thread;
};

TEST(SocketBackend, CarriesTransactionsToTheSimServer) {
  ServedModel sim([](DeviceModel& m) { (void)m.SetVersion("V7.1"); });
  SocketBackend backend(sim.Path());
  RealClock clock;
  test::RecordingFeedback fb;
  HidLink link(backend, fb, clock);
  const std::uint8_t version[] = {0x01, 0xC2, 0x00, 0x3C};
  ASSERT_EQ(SendUsbCommand(link, true, sizeof version, version), TxEnd::Ok);
  EXPECT_EQ(QByteArray(reinterpret_cast<const char*>(link.In().data() + 6), link.In()[5]), QByteArray("V7.1"));
  EXPECT_TRUE(fb.Boxes().isEmpty());
}

TEST(SocketBackend, AVanishingSimLeavesNoDevice) {
  ServedModel sim([](DeviceModel& m) { m.Faults().vanishAfterReports = 1; });
  SocketBackend backend(sim.Path());
  RealClock clock;
  test::RecordingFeedback fb;
  HidLink link(backend, fb, clock);
  const std::uint8_t version[] = {0x01, 0xC2, 0x00, 0x3C};
  EXPECT_NE(SendUsbCommand(link, true, sizeof version, version), TxEnd::Ok);
  EXPECT_TRUE(backend.Enumerate().empty());
  EXPECT_FALSE(QFile::exists(sim.Path()));
  EXPECT_TRUE(fb.Boxes().isEmpty());  // the link never talks to the user
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

TEST(SocketBackend, TheSimJudgesPausesByWhenTheHostWroteNotWhenItRead) {
  // A sim that was not scheduled for a while reads two well-paced packets at once; the device's
  // pause check must still see the pause the host kept, not refuse the upload.
  QTemporaryDir dir;
  const QString path = dir.path() + QStringLiteral("/sim.sock");
  RealClock clock;
  DeviceModel model;
  model.SetPauseToleranceMs(4000 - 60);  // the first pause must look at least 60 ms long
  HidSocketServer server(model, clock);
  QString error;
  ASSERT_TRUE(server.Listen(path, error)) << error.toStdString();
  const auto serveOnce = [&] {
    std::vector<pollfd> fds;
    server.CollectPollFds(fds);
    (void)::poll(fds.data(), fds.size(), 200);
    server.Service(fds, clock.NowMs());
  };

  const int host = ::socket(AF_UNIX, SOCK_SEQPACKET, 0);
  sockaddr_un addr{};
  addr.sun_family = AF_UNIX;
  std::strcpy(addr.sun_path, path.toLocal8Bit().constData());
  ASSERT_EQ(::connect(host, reinterpret_cast<sockaddr*>(&addr), sizeof addr), 0);
  serveOnce();  // accepts and greets
  std::uint8_t hello[8];
  ASSERT_EQ(::recv(host, hello, sizeof hello, 0), 4);

  ASSERT_EQ(::send(host, UpgradePacket(2, 1, 52).data(), kReportSize, 0), static_cast<ssize_t>(kReportSize));
  std::this_thread::sleep_for(std::chrono::milliseconds(80));
  ASSERT_EQ(::send(host, UpgradePacket(2, 2, 1).data(), kReportSize, 0), static_cast<ssize_t>(kReportSize));
  serveOnce();
  serveOnce();
  serveOnce();
  std::uint8_t ack[kReportSize + 1] = {};
  pollfd p{host, POLLIN, 0};
  ASSERT_EQ(::poll(&p, 1, 1000), 1);
  ASSERT_EQ(::recv(host, ack, sizeof ack, 0), static_cast<ssize_t>(kReportSize));
  EXPECT_EQ(ack[6], status::Accepted) << model.LastUpload()->reason.toStdString();
  ::close(host);
}

}  // namespace
}  // namespace quorvin
