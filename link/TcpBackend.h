#pragma once
// The virtual HID link over TCP on the loopback address (QUORVIN_HID_SOCKET=tcp:127.0.0.1:PORT),
// served by `quorvin-sim --hid-tcp`, so that a build without Unix sockets (Windows, under Wine
// too) can be driven by the simulator. The wire is the Unix socket's (SocketBackend.h): the
// device's 4-byte hello, then 65-byte reports, here back to back on a byte stream, so each side
// cuts the stream into reports itself. Nobody listening means no device, as a missing socket file
// does there.
//
// As there, one connection is kept for as long as the device stays, and enumerating only looks at
// it. A report half written or a report ID other than 0x00 leaves the stream out of step for good:
// the connection is then dropped, and the next discovery starts afresh.

#include <QString>
#include <memory>
#include <mutex>

#include "link/HidBackend.h"
#include "link/TcpAddress.h"

namespace quorvin {

class TcpBackend final : public HidBackend {
 public:
  static constexpr std::size_t kHelloSize = 4;
  // For the connect and the hello together.
  static constexpr int kHelloTimeoutMs = 1000;

  explicit TcpBackend(const TcpAddress& address);
  ~TcpBackend() override;

  [[nodiscard]] std::vector<HidDeviceInfo> Enumerate() override;
  [[nodiscard]] HidOpen Open(const QString& path, std::unique_ptr<HidHandle>& handle) override;
  [[nodiscard]] QString Name() const override { return QStringLiteral("socket ") + m_path; }
  // The address names the unit: one listener is one unit.
  [[nodiscard]] QString LockName(const HidDeviceInfo& info) const override { return info.path; }

  struct Connection;

 private:
  enum class Attach { Linked, Absent, Refused, BadHello };
  // Drops a connection whose device went away, and connects when there is none. Caller locks.
  Attach Refresh();
  Attach Connect();

  TcpAddress m_address;
  QString m_path;  // "tcp:127.0.0.1:PORT": the device's path
  std::mutex m_mutex;
  std::shared_ptr<Connection> m_conn;
};

}  // namespace quorvin
