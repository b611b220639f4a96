#include <poll.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <algorithm>
#include <cerrno>
#include <cstring>

#include "host/Clock.h"
#include "link/SocketBackend.h"
#include "protocol/Frame.h"

namespace quorvin {

namespace {

int LeftMs(qint64 deadline) { return static_cast<int>(std::max<qint64>(deadline - MonoMs(), 0)); }

// poll() on one descriptor until `deadline`, resumed after signals; answers revents, 0 on
// time-out, -1 on error.
int PollUntil(int fd, short events, qint64 deadline) {
  for (;;) {
    pollfd p{fd, events, 0};
    const int n = ::poll(&p, 1, LeftMs(deadline));
    if (n > 0) return p.revents;
    if (n == 0) return 0;
    if (errno != EINTR) return -1;
  }
}

bool SameSocketFile(const QByteArray& path, dev_t dev, ino_t ino) {
  struct stat st {};
  return ::stat(path.constData(), &st) == 0 && S_ISSOCK(st.st_mode) && st.st_dev == dev && st.st_ino == ino;
}

// A report to a message: the kernel keeps the boundaries, so a message of another size is an
// error of its own and the connection stays usable.
class UnixReportStream final : public ReportStream {
 public:
  using Result = ReportStream::Result;

  UnixReportStream() : m_fd(::socket(AF_UNIX, SOCK_SEQPACKET | SOCK_CLOEXEC, 0)) {}
  ~UnixReportStream() override {
    if (m_fd >= 0) ::close(m_fd);
  }
  UnixReportStream(const UnixReportStream&) = delete;
  UnixReportStream& operator=(const UnixReportStream&) = delete;

  [[nodiscard]] int Fd() const { return m_fd; }
  // The socket file connected to: when another file takes its place, the unit was replugged.
  void SetSocketFile(QByteArray path, const struct stat& st) {
    m_path = std::move(path);
    m_dev = st.st_dev;
    m_ino = st.st_ino;
  }

  Result Send(const std::uint8_t* report, qint64 deadline) override {
    const int ev = PollUntil(m_fd, POLLOUT, deadline);
    if (ev == 0) return {HidIo::Timeout};
    if (ev < 0) return {HidIo::Error};
    if (!(ev & POLLOUT)) return Lost();
    const ssize_t n = ::send(m_fd, report, kReportSize, MSG_NOSIGNAL | MSG_DONTWAIT);
    if (n == static_cast<ssize_t>(kReportSize)) return {HidIo::Ok};
    if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) return {HidIo::Timeout};
    if (n < 0 && (errno == EPIPE || errno == ECONNRESET || errno == ENOTCONN)) return Lost();
    return {HidIo::Error};
  }

  Result Receive(std::uint8_t* report, qint64 deadline) override {
    for (;;) {
      const int ev = PollUntil(m_fd, POLLIN, deadline);
      if (ev == 0) return {HidIo::Timeout};
      if (ev < 0) return {HidIo::Error};
      if (!(ev & POLLIN)) return Lost();
      // One byte more than a report, so an oversized message shows as such instead of being cut.
      std::uint8_t buf[kReportSize + 1];
      const ssize_t n = ::recv(m_fd, buf, sizeof buf, MSG_DONTWAIT);
      if (n == 0) return Lost();
      if (n < 0) {
        if (errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR) continue;
        return errno == ECONNRESET ? Lost() : Result{HidIo::Error};
      }
      if (n != static_cast<ssize_t>(kReportSize) || buf[0] != 0x00) return {HidIo::Error};
      std::memcpy(report, buf, kReportSize);
      return {HidIo::Ok};
    }
  }

  bool DiscardPending() override {
    std::uint8_t buf[kReportSize + 1];
    for (;;) {
      const ssize_t n = ::recv(m_fd, buf, sizeof buf, MSG_DONTWAIT);
      if (n > 0 || (n < 0 && errno == EINTR)) continue;
      return n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK);
    }
  }

  bool PeerGone() override {
    // Asks for no events: poll still reports a hang-up, and no report is taken off the link.
    const int ev = PollUntil(m_fd, 0, 0);
    if (ev < 0 || (ev & (POLLHUP | POLLERR | POLLNVAL)) != 0) return true;
    return !SameSocketFile(m_path, m_dev, m_ino);
  }

 private:
  static Result Lost() { return {HidIo::Disconnected, true}; }

  int m_fd = -1;
  QByteArray m_path;
  dev_t m_dev = 0;
  ino_t m_ino = 0;
};

// "3" for ".../3.sock", so units sort as numbers: 2 before 10.
QString UnitName(const QString& path) {
  QString name = QFileInfo(path).fileName();
  if (name.endsWith(QLatin1String(".sock"))) name.chop(5);
  return name;
}

}  // namespace

SocketBackend::SocketBackend(QString socketPath)
    : StreamHidBackend(QStringLiteral("socket ") + socketPath), m_path(std::move(socketPath)) {}

SocketBackend::Attach SocketBackend::Connect(const QString& socketPath, std::unique_ptr<ReportStream>& stream,
                                             HidHello& hello) {
  const QByteArray path = QFile::encodeName(socketPath);
  sockaddr_un addr{};
  addr.sun_family = AF_UNIX;
  if (path.isEmpty() || static_cast<std::size_t>(path.size()) >= sizeof addr.sun_path) return Attach::Absent;
  std::memcpy(addr.sun_path, path.constData(), static_cast<std::size_t>(path.size()));

  auto conn = std::make_unique<UnixReportStream>();
  if (conn->Fd() < 0) return Attach::Absent;
  struct stat st {};
  if (::stat(path.constData(), &st) != 0) return errno == EACCES ? Attach::Refused : Attach::Absent;
  if (!S_ISSOCK(st.st_mode)) return Attach::Absent;
  if (::connect(conn->Fd(), reinterpret_cast<const sockaddr*>(&addr), sizeof addr) != 0)
    return errno == EACCES || errno == EPERM ? Attach::Refused : Attach::Absent;
  conn->SetSocketFile(path, st);

  // The device speaks first: its vendor and product id, and perhaps its serial number, in one message.
  std::uint8_t bytes[kHelloSize + kMaxSerialBytes + 1];
  const int ev = PollUntil(conn->Fd(), POLLIN, MonoMs() + kHelloTimeoutMs);
  if (ev <= 0 || !(ev & POLLIN)) return Attach::BadHello;
  const ssize_t n = ::recv(conn->Fd(), bytes, sizeof bytes, 0);
  if (n < static_cast<ssize_t>(kHelloSize) || n > static_cast<ssize_t>(kHelloSize + kMaxSerialBytes))
    return Attach::BadHello;
  hello.vendorId = static_cast<std::uint16_t>(bytes[0] | bytes[1] << 8);
  hello.productId = static_cast<std::uint16_t>(bytes[2] | bytes[3] << 8);
  hello.serial = SerialFromHello(bytes + kHelloSize, static_cast<std::size_t>(n) - kHelloSize);
  stream = std::move(conn);
  return Attach::Linked;
}

QStringList SocketBackend::UnitPaths() const {
  const QFileInfo where(m_path);
  if (!where.isDir()) return {m_path};
  QStringList paths;
  const QDir dir(m_path);
  for (const QString& name : dir.entryList({QStringLiteral("*.sock")}, QDir::System | QDir::Files | QDir::Hidden))
    paths << dir.filePath(name);
  std::sort(paths.begin(), paths.end(), [](const QString& a, const QString& b) {
    bool aNum = false;
    bool bNum = false;
    const qlonglong x = UnitName(a).toLongLong(&aNum);
    const qlonglong y = UnitName(b).toLongLong(&bNum);
    if (aNum && bNum) return x < y;
    if (aNum != bNum) return aNum;
    return a < b;
  });
  return paths;
}

QString SocketBackend::LocationOf(const QString& path) const { return QStringLiteral("sim:") + UnitName(path); }

QString SocketBackend::LockName(const HidDeviceInfo& info) const {
  const QFileInfo file(info.path);
  const QString canonical = file.canonicalFilePath();
  return QStringLiteral("socket ") + (canonical.isEmpty() ? file.absoluteFilePath() : canonical);
}

std::unique_ptr<HidBackend> MakeUnixSocketBackend(const QString& path, QString*) {
  return std::make_unique<SocketBackend>(path);
}

}  // namespace quorvin
