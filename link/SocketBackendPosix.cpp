#include <poll.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStringDecoder>
#include <algorithm>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstring>

#include "link/HidLink.h"
#include "link/SocketBackend.h"

namespace quorvin {

namespace {
constexpr std::size_t kReport = 65;

qint64 MonoMs() {
  using namespace std::chrono;
  return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

// poll() on one descriptor, resumed after signals; answers revents, 0 on time-out, -1 on error.
int PollOne(int fd, short events, int timeoutMs) {
  const qint64 deadline = MonoMs() + std::max(timeoutMs, 0);
  for (;;) {
    pollfd p{fd, events, 0};
    const int left = static_cast<int>(std::max<qint64>(deadline - MonoMs(), 0));
    const int n = ::poll(&p, 1, left);
    if (n > 0) return p.revents;
    if (n == 0) return 0;
    if (errno != EINTR) return -1;
  }
}

bool SameSocketFile(const QByteArray& path, dev_t dev, ino_t ino) {
  struct stat st {};
  return ::stat(path.constData(), &st) == 0 && S_ISSOCK(st.st_mode) && st.st_dev == dev && st.st_ino == ino;
}
}  // namespace

struct SocketBackend::Connection {
  int fd = -1;
  dev_t dev = 0;
  ino_t ino = 0;
  std::uint16_t vendorId = 0;
  std::uint16_t productId = 0;
  QString serial;
  std::atomic<bool> dead{false};
  ~Connection() {
    if (fd >= 0) ::close(fd);
  }
};

namespace {
class SocketHandle final : public HidHandle {
 public:
  explicit SocketHandle(std::shared_ptr<SocketBackend::Connection> conn) : m_conn(std::move(conn)) {}

  HidIo Write(const std::uint8_t* report, std::size_t length, int timeoutMs) override {
    if (m_conn->dead) return HidIo::Disconnected;
    if (length > kReport) return HidIo::Error;
    std::uint8_t buf[kReport] = {};
    std::memcpy(buf, report, length);
    const int ev = PollOne(m_conn->fd, POLLOUT, timeoutMs);
    if (ev == 0) return HidIo::Timeout;
    if (ev < 0) return HidIo::Error;
    if (!(ev & POLLOUT)) return Lost();
    const ssize_t n = ::send(m_conn->fd, buf, kReport, MSG_NOSIGNAL | MSG_DONTWAIT);
    if (n == static_cast<ssize_t>(kReport)) return HidIo::Ok;
    if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) return HidIo::Timeout;
    if (n < 0 && (errno == EPIPE || errno == ECONNRESET || errno == ENOTCONN)) return Lost();
    return HidIo::Error;
  }

  HidIo Read(std::uint8_t* data, std::size_t capacity, int timeoutMs) override {
    const qint64 deadline = MonoMs() + std::max(timeoutMs, 0);
    for (;;) {
      if (m_conn->dead) return HidIo::Disconnected;
      const int ev = PollOne(m_conn->fd, POLLIN, static_cast<int>(std::max<qint64>(deadline - MonoMs(), 0)));
      if (ev == 0) return HidIo::Timeout;
      if (ev < 0) return HidIo::Error;
      if (!(ev & POLLIN)) return Lost();
      // One byte more than a report, so an oversized message shows as such instead of being cut.
      std::uint8_t buf[kReport + 1];
      const ssize_t n = ::recv(m_conn->fd, buf, sizeof buf, MSG_DONTWAIT);
      if (n == 0) return Lost();
      if (n < 0) {
        if (errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR) continue;
        return errno == ECONNRESET ? Lost() : HidIo::Error;
      }
      if (n != static_cast<ssize_t>(kReport) || buf[0] != 0x00) return HidIo::Error;
      std::memcpy(data, buf + 1, std::min(capacity, kReport - 1));
      return HidIo::Ok;
    }
  }

 private:
  HidIo Lost() {
    m_conn->dead = true;
    return HidIo::Disconnected;
  }
  std::shared_ptr<SocketBackend::Connection> m_conn;
};

// Reports that arrived while the device was not open are not for the new opener.
void DiscardPending(SocketBackend::Connection& c) {
  std::uint8_t buf[kReport + 1];
  for (;;) {
    const ssize_t n = ::recv(c.fd, buf, sizeof buf, MSG_DONTWAIT);
    if (n > 0 || (n < 0 && errno == EINTR)) continue;
    if (n == 0 || (errno != EAGAIN && errno != EWOULDBLOCK)) c.dead = true;
    return;
  }
}
}  // namespace

SocketBackend::SocketBackend(QString socketPath) : m_path(std::move(socketPath)) {}
SocketBackend::~SocketBackend() = default;

namespace {
// The serial number after the ids: UTF-8 that decodes cleanly and holds no control characters, or
// none at all (a garbled one must not become part of a lock file's name or a selector).
QString SerialFromHello(const std::uint8_t* bytes, std::size_t size) {
  QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
  const QString serial = utf8.decode(QByteArrayView(bytes, static_cast<qsizetype>(size)));
  if (utf8.hasError()) return {};
  for (const QChar ch : serial)
    if (ch.category() == QChar::Other_Control) return {};
  return serial.trimmed();
}

// "3" for ".../3.sock", so units sort as numbers: 2 before 10.
QString UnitName(const QString& path) {
  QString name = QFileInfo(path).fileName();
  if (name.endsWith(QLatin1String(".sock"))) name.chop(5);
  return name;
}
}  // namespace

SocketBackend::Attach SocketBackend::Connect(const QString& socketPath) {
  const QByteArray path = QFile::encodeName(socketPath);
  sockaddr_un addr{};
  addr.sun_family = AF_UNIX;
  if (path.isEmpty() || static_cast<std::size_t>(path.size()) >= sizeof addr.sun_path) return Attach::Absent;
  std::memcpy(addr.sun_path, path.constData(), static_cast<std::size_t>(path.size()));

  auto conn = std::make_shared<Connection>();
  conn->fd = ::socket(AF_UNIX, SOCK_SEQPACKET | SOCK_CLOEXEC, 0);
  if (conn->fd < 0) return Attach::Absent;
  struct stat st {};
  if (::stat(path.constData(), &st) != 0) return errno == EACCES ? Attach::Refused : Attach::Absent;
  if (!S_ISSOCK(st.st_mode)) return Attach::Absent;
  if (::connect(conn->fd, reinterpret_cast<const sockaddr*>(&addr), sizeof addr) != 0)
    return errno == EACCES || errno == EPERM ? Attach::Refused : Attach::Absent;
  conn->dev = st.st_dev;
  conn->ino = st.st_ino;

  // The device speaks first: its vendor and product id, and perhaps its serial number.
  std::uint8_t hello[kHelloSize + kMaxSerialBytes + 1];
  const int ev = PollOne(conn->fd, POLLIN, kHelloTimeoutMs);
  if (ev <= 0 || !(ev & POLLIN)) return Attach::BadHello;
  const ssize_t n = ::recv(conn->fd, hello, sizeof hello, 0);
  if (n < static_cast<ssize_t>(kHelloSize) || n > static_cast<ssize_t>(kHelloSize + kMaxSerialBytes))
    return Attach::BadHello;
  conn->vendorId = static_cast<std::uint16_t>(hello[0] | hello[1] << 8);
  conn->productId = static_cast<std::uint16_t>(hello[2] | hello[3] << 8);
  conn->serial = SerialFromHello(hello + kHelloSize, static_cast<std::size_t>(n) - kHelloSize);
  m_conns[socketPath] = std::move(conn);
  return Attach::Linked;
}

SocketBackend::Attach SocketBackend::Refresh(const QString& path) {
  const auto it = m_conns.find(path);
  if (it != m_conns.end()) {
    Connection& c = *it->second;
    bool gone = c.dead.load();
    if (!gone) {
      // Asks for no events: poll still reports a hang-up, and no report is taken off the link.
      const int ev = PollOne(c.fd, 0, 0);
      gone = ev < 0 || (ev & (POLLHUP | POLLERR | POLLNVAL)) != 0;
    }
    if (!gone) gone = !SameSocketFile(QFile::encodeName(path), c.dev, c.ino);
    if (!gone) return Attach::Linked;
    c.dead = true;  // a handle still holding it learns the device is gone
    m_conns.erase(it);
  }
  return Connect(path);
}

QStringList SocketBackend::SocketPaths() const {
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

HidDeviceInfo SocketBackend::Describe(const QString& path, Attach state) const {
  HidDeviceInfo info{path, 0, 0, false};
  info.location = QStringLiteral("sim:") + UnitName(path);
  switch (state) {
    case Attach::Linked: {
      const Connection& c = *m_conns.at(path);
      info.vendorId = c.vendorId;
      info.productId = c.productId;
      info.attributesOk = true;
      info.serial = c.serial;
      break;
    }
    case Attach::Refused:
      // Someone is there but we may not talk to it: the repeater, as far as we can tell, so the
      // open that follows is refused for permission rather than the device called absent.
      info.vendorId = kVendorId;
      info.productId = kProductId;
      info.attributesOk = true;
      break;
    case Attach::BadHello:  // something listens there but does not say who it is
    case Attach::Absent:
      break;
  }
  return info;
}

std::vector<HidDeviceInfo> SocketBackend::Enumerate() {
  std::lock_guard lock(m_mutex);
  const QStringList paths = SocketPaths();
  // Units whose socket went are let go, so a unit plugged in again is connected afresh.
  for (auto it = m_conns.begin(); it != m_conns.end();) {
    if (paths.contains(it->first)) {
      ++it;
      continue;
    }
    it->second->dead = true;
    it = m_conns.erase(it);
  }
  std::vector<HidDeviceInfo> found;
  for (const QString& path : paths) {
    const Attach state = Refresh(path);
    if (state != Attach::Absent) found.push_back(Describe(path, state));
  }
  return found;
}

HidOpen SocketBackend::Open(const QString& path, std::unique_ptr<HidHandle>& handle) {
  std::lock_guard lock(m_mutex);
  if (!SocketPaths().contains(path)) return HidOpen::Failed;
  switch (Refresh(path)) {
    case Attach::Linked:
      break;
    case Attach::Refused:
      return HidOpen::AccessDenied;
    case Attach::Absent:
    case Attach::BadHello:
      return HidOpen::Failed;
  }
  const auto& conn = m_conns.at(path);
  DiscardPending(*conn);
  if (conn->dead) return HidOpen::Failed;
  handle = std::make_unique<SocketHandle>(conn);
  return HidOpen::Ok;
}

QString SocketBackend::LockName(const HidDeviceInfo& info) const {
  const QFileInfo file(info.path);
  const QString canonical = file.canonicalFilePath();
  return QStringLiteral("socket ") + (canonical.isEmpty() ? file.absoluteFilePath() : canonical);
}

std::unique_ptr<HidBackend> MakeUnixSocketBackend(const QString& path, QString*) {
  return std::make_unique<SocketBackend>(path);
}

}  // namespace quorvin
