#pragma once
// The virtual HID link that quorvin-sim (and other tools) serve on a Unix SOCK_SEQPACKET socket.
// Unix only (SocketBackendPosix.cpp); elsewhere the link is reached over TCP (TcpBackend.h).
// Wire format, fixed because other tools speak it:
//   - the device side listens; the tool connects as its discovery;
//   - on connect the device sends one message: vendor id, then product id, each 16-bit
//     little-endian, then optionally the unit's serial number in UTF-8 (4 bytes alone: none);
//   - after that every message, either way, is exactly one 65-byte report, byte 0 the report ID 0x00.
// The device is gone when the connection closes or the socket file disappears. What every form of
// the link shares (one connection kept per unit, discovery that only looks) is StreamHidBackend's.
//
// The path may name a folder instead (`quorvin-sim --units N`): every "*.sock" in it is one
// repeater, at location "sim:<name without .sock>"; a socket appearing or going is a unit plugged
// in or out. A single socket is at "sim:<its name without .sock>".

#include <QString>
#include <QStringList>
#include <memory>

#include "link/StreamHidBackend.h"

namespace quorvin {

class SocketBackend final : public StreamHidBackend {
 public:
  explicit SocketBackend(QString socketPath);

  // The socket file itself, by its canonical path: QUORVIN_HID_SOCKET may name the folder or the
  // file, relatively or not, and every spelling must reach the same lock.
  [[nodiscard]] QString LockName(const HidDeviceInfo& info) const override;

 private:
  // The sockets to look at: m_path itself, or the units in the folder it names, in unit order.
  [[nodiscard]] QStringList UnitPaths() const override;
  [[nodiscard]] Attach Connect(const QString& path, std::unique_ptr<ReportStream>& stream, HidHello& hello) override;
  [[nodiscard]] QString LocationOf(const QString& path) const override;

  QString m_path;
};

// The Unix-socket link at `path` where the system has Unix sockets; elsewhere nothing, with the
// reason in `error`. (One definition per platform: SocketBackendPosix.cpp, SocketBackendWin.cpp.)
[[nodiscard]] std::unique_ptr<HidBackend> MakeUnixSocketBackend(const QString& path, QString* error);

}  // namespace quorvin
