#pragma once
// The virtual HID link that quorvin-sim (and other tools) serve on a Unix SOCK_SEQPACKET socket.
// Unix only (SocketBackendPosix.cpp); elsewhere the link is reached over TCP (TcpBackend.h).
// Wire format, fixed because other tools speak it:
//   - the device side listens; the tool connects as its discovery;
//   - on connect the device sends one message: vendor id, then product id, each 16-bit
//     little-endian, then optionally the unit's serial number in UTF-8 (4 bytes alone: none);
//   - after that every message, either way, is exactly one 65-byte report, byte 0 the report ID 0x00.
// The device is gone when the connection closes or the socket file disappears.
//
// The backend keeps one connection for as long as the device stays: enumerating only looks at
// it (a hang-up shows in poll), so discovery and the device watcher never disturb the device.
//
// The path may name a folder instead (`quorvin-sim --units N`): every "*.sock" in it is one
// repeater, at location "sim:<name without .sock>"; a socket appearing or going is a unit plugged
// in or out. A single socket is at "sim:<its name without .sock>".

#include <QString>
#include <QStringList>
#include <map>
#include <memory>
#include <mutex>

#include "link/HidBackend.h"

namespace quorvin {

class SocketBackend final : public HidBackend {
 public:
  static constexpr std::size_t kHelloSize = 4;
  static constexpr std::size_t kMaxSerialBytes = 126;  // as long as a USB string descriptor allows
  static constexpr int kHelloTimeoutMs = 1000;

  explicit SocketBackend(QString socketPath);
  ~SocketBackend() override;

  [[nodiscard]] std::vector<HidDeviceInfo> Enumerate() override;
  [[nodiscard]] HidOpen Open(const QString& path, std::unique_ptr<HidHandle>& handle) override;
  [[nodiscard]] QString Name() const override { return QStringLiteral("socket ") + m_path; }
  // The socket file itself, by its canonical path: QUORVIN_HID_SOCKET may name the folder or the
  // file, relatively or not, and every spelling must reach the same lock.
  [[nodiscard]] QString LockName(const HidDeviceInfo& info) const override;

  struct Connection;

 private:
  enum class Attach { Linked, Absent, Refused, BadHello };
  // Drops the connection to `path` when its device went away, and connects when there is none.
  // Caller locks.
  Attach Refresh(const QString& path);
  Attach Connect(const QString& path);
  [[nodiscard]] HidDeviceInfo Describe(const QString& path, Attach state) const;
  // The sockets to look at: m_path itself, or the units in the folder it names, in unit order.
  [[nodiscard]] QStringList SocketPaths() const;

  QString m_path;
  std::mutex m_mutex;
  std::map<QString, std::shared_ptr<Connection>> m_conns;
};

// The Unix-socket link at `path` where the system has Unix sockets; elsewhere nothing, with the
// reason in `error`. (One definition per platform: SocketBackendPosix.cpp, SocketBackendWin.cpp.)
[[nodiscard]] std::unique_ptr<HidBackend> MakeUnixSocketBackend(const QString& path, QString* error);

}  // namespace quorvin
