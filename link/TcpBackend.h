#pragma once
// The virtual HID link over TCP on the loopback address, served by `quorvin-sim --hid-tcp`, so
// that a build without Unix sockets (Windows, under Wine too) can be driven by the simulator. The
// reports are the Unix socket's (SocketBackend.h), here back to back on a byte stream, so each
// side cuts the stream into reports itself. Nobody listening means no device, as a missing socket
// file does there; what every form of the link shares is StreamHidBackend's.
//
// As there, one connection is kept for as long as the device stays, and enumerating only looks at
// it. A report half written or a report ID other than 0x00 leaves the stream out of step for good:
// the connection is then dropped, and the next discovery starts afresh.

#include <QString>
#include <memory>

#include "link/StreamHidBackend.h"
#include "link/TcpAddress.h"

namespace quorvin {

class TcpBackend final : public StreamHidBackend {
 public:
  explicit TcpBackend(const TcpAddress& address);

  // The address names the unit: one listener is one unit.
  [[nodiscard]] QString LockName(const HidDeviceInfo& info) const override { return info.path; }

 private:
  [[nodiscard]] QStringList UnitPaths() const override { return {m_path}; }
  [[nodiscard]] Attach Connect(const QString& path, std::unique_ptr<ReportStream>& stream, HidHello& hello) override;
  [[nodiscard]] QString LocationOf(const QString&) const override { return {}; }

  TcpAddress m_address;
  QString m_path;  // "tcp:127.0.0.1:PORT": the device's path
};

}  // namespace quorvin
