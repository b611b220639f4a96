#include "link/StreamHidBackend.h"

#include <QStringDecoder>
#include <algorithm>
#include <atomic>
#include <cstring>

#include "host/Clock.h"
#include "link/HidLink.h"
#include "protocol/Frame.h"

namespace quorvin {

struct StreamHidBackend::Connection {
  std::unique_ptr<ReportStream> stream;
  HidHello hello;
  // Set by whoever first learns the unit is gone (a handle's transfer, or discovery), read by all.
  std::atomic<bool> dead{false};
};

namespace {

qint64 DeadlineIn(int timeoutMs) { return MonoMs() + std::max(timeoutMs, 0); }

class StreamHandle final : public HidHandle {
 public:
  explicit StreamHandle(std::shared_ptr<StreamHidBackend::Connection> conn) : m_conn(std::move(conn)) {}

  HidIo Write(const std::uint8_t* report, std::size_t length, int timeoutMs) override {
    if (m_conn->dead) return HidIo::Disconnected;
    if (length > kReportSize) return HidIo::Error;
    std::uint8_t buf[kReportSize] = {};  // a short report goes out padded with zeros
    std::memcpy(buf, report, length);
    return Kept(m_conn->stream->Send(buf, DeadlineIn(timeoutMs)));
  }

  HidIo Read(std::uint8_t* data, std::size_t capacity, int timeoutMs) override {
    if (m_conn->dead) return HidIo::Disconnected;
    std::uint8_t buf[kReportSize];
    const HidIo io = Kept(m_conn->stream->Receive(buf, DeadlineIn(timeoutMs)));
    if (io == HidIo::Ok) std::memcpy(data, buf + 1, std::min(capacity, kReportSize - 1));  // as hidapi: no ID
    return io;
  }

 private:
  HidIo Kept(ReportStream::Result r) {
    if (r.broken || r.io == HidIo::Disconnected) m_conn->dead = true;
    return r.io;
  }
  std::shared_ptr<StreamHidBackend::Connection> m_conn;
};

}  // namespace

StreamHidBackend::~StreamHidBackend() = default;

QString StreamHidBackend::SerialFromHello(const std::uint8_t* bytes, std::size_t size) {
  QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
  const QString serial = utf8.decode(QByteArrayView(bytes, static_cast<qsizetype>(size)));
  if (utf8.hasError()) return {};
  for (const QChar ch : serial)
    if (ch.category() == QChar::Other_Control) return {};
  return serial.trimmed();
}

StreamHidBackend::Attach StreamHidBackend::Refresh(const QString& path) {
  const auto it = m_conns.find(path);
  if (it != m_conns.end()) {
    Connection& c = *it->second;
    if (!c.dead && !c.stream->PeerGone()) return Attach::Linked;
    c.dead = true;  // a handle still holding it learns the unit is gone
    m_conns.erase(it);
  }
  auto conn = std::make_shared<Connection>();
  const Attach state = Connect(path, conn->stream, conn->hello);
  if (state == Attach::Linked) m_conns[path] = std::move(conn);
  return state;
}

HidDeviceInfo StreamHidBackend::Describe(const QString& path, Attach state) const {
  HidDeviceInfo info{path, 0, 0, false};
  info.location = LocationOf(path);
  switch (state) {
    case Attach::Linked: {
      const HidHello& hello = m_conns.at(path)->hello;
      info.vendorId = hello.vendorId;
      info.productId = hello.productId;
      info.attributesOk = true;
      info.serial = hello.serial;
      break;
    }
    case Attach::Refused:
      // Someone is there but we may not talk to it: the repeater, as far as we can tell, so the
      // open that follows is refused for permission rather than the device called absent.
      info.vendorId = kVendorId;
      info.productId = kProductId;
      info.attributesOk = true;
      break;
    case Attach::BadHello:  // an interface whose ids cannot be read
    case Attach::Absent:
      break;
  }
  return info;
}

std::vector<HidDeviceInfo> StreamHidBackend::Enumerate() {
  std::lock_guard lock(m_mutex);
  const QStringList paths = UnitPaths();
  // Units no longer listed are let go, so a unit plugged in again is connected afresh.
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

HidOpen StreamHidBackend::Open(const QString& path, std::unique_ptr<HidHandle>& handle) {
  std::lock_guard lock(m_mutex);
  if (!UnitPaths().contains(path)) return HidOpen::Failed;
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
  if (!conn->stream->DiscardPending()) conn->dead = true;
  if (conn->dead) return HidOpen::Failed;
  handle = std::make_unique<StreamHandle>(conn);
  return HidOpen::Ok;
}

}  // namespace quorvin
