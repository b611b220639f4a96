#pragma once
// What the Unix-socket and the TCP forms of the virtual HID link share. The device side listens;
// discovery connects, and the device speaks first: its hello, vendor id then product id (16-bit
// little-endian each), perhaps its serial number. One connection is kept per unit for as long as
// the unit stays: enumerating only looks at it (a hang-up shows without a report being taken off),
// so discovery and the device watcher never disturb the device. A connection that ends, or a unit
// that is no longer listed, is the unit gone, and a handle still holding it learns so. Reports
// that came while nobody had the unit open are dropped on the next open.
//
// A transport adds only its own part: where its units are (UnitPaths), how one is connected to
// and greets (Connect), and how reports travel on the connection (ReportStream).

#include <QString>
#include <QStringList>
#include <map>
#include <memory>
#include <mutex>

#include "link/HidBackend.h"
#include "link/ReportStream.h"

namespace quorvin {

// Who the device said it is.
struct HidHello {
  std::uint16_t vendorId = 0;
  std::uint16_t productId = 0;
  QString serial;  // empty: the unit has none, or said one that cannot be trusted
};

class StreamHidBackend : public HidBackend {
 public:
  static constexpr std::size_t kHelloSize = 4;         // the ids, without a serial number
  static constexpr std::size_t kMaxSerialBytes = 126;  // as long as a USB string descriptor allows
  static constexpr int kHelloTimeoutMs = 1000;

  ~StreamHidBackend() override;
  StreamHidBackend(const StreamHidBackend&) = delete;
  StreamHidBackend& operator=(const StreamHidBackend&) = delete;

  [[nodiscard]] std::vector<HidDeviceInfo> Enumerate() final;
  [[nodiscard]] HidOpen Open(const QString& path, std::unique_ptr<HidHandle>& handle) final;
  [[nodiscard]] QString Name() const final { return m_name; }

  // The serial number in the hello's bytes after the ids: UTF-8 that decodes cleanly and holds no
  // control characters, or none at all (a garbled one must not become part of a lock file's name
  // or a selector).
  [[nodiscard]] static QString SerialFromHello(const std::uint8_t* bytes, std::size_t size);

  struct Connection;

 protected:
  enum class Attach {
    Linked,    // connected, the hello read
    Absent,    // nobody there
    Refused,   // someone is there, but the system will not let us talk to it
    BadHello,  // something listens there but does not say who it is
  };
  explicit StreamHidBackend(QString name) : m_name(std::move(name)) {}

  // The units to look at now, in unit order; each is a device path.
  [[nodiscard]] virtual QStringList UnitPaths() const = 0;
  // Connects to the unit at `path` and reads its hello; on Linked, `stream` and `hello` are set.
  [[nodiscard]] virtual Attach Connect(const QString& path, std::unique_ptr<ReportStream>& stream, HidHello& hello) = 0;
  // Where the unit hangs, as selectors name it ("sim:2"); empty where there is only one.
  [[nodiscard]] virtual QString LocationOf(const QString& path) const = 0;

 private:
  // Drops the connection to `path` when its unit went away, and connects when there is none.
  // Caller locks.
  Attach Refresh(const QString& path);
  [[nodiscard]] HidDeviceInfo Describe(const QString& path, Attach state) const;

  QString m_name;
  std::mutex m_mutex;
  std::map<QString, std::shared_ptr<Connection>> m_conns;
};

}  // namespace quorvin
