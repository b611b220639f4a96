#pragma once
// The virtual HID link over TCP on the loopback address, served by `quorvin-sim --hid-tcp`, so
// that a build without Unix sockets (Windows, under Wine too) can be driven by the simulator. The
// reports are the Unix socket's (SocketBackend.h), here back to back on a byte stream, so each
// side cuts the stream into reports itself. Nobody listening means no device, as a missing socket
// file does there; what every form of the link shares is StreamHidBackend's.
//
// Two forms:
//   - QUORVIN_HID_SOCKET=tcp:127.0.0.1:PORT, one unit: the device greets at once with the 4-byte
//     hello (ids only), and the device's path is "tcp:127.0.0.1:PORT";
//   - QUORVIN_HID_SOCKET=tcp:127.0.0.1:PORT/N (`quorvin-sim --hid-tcp ... --units N`), N units on
//     one port: the tool opens a connection per unit and names it first, one byte 1..N; the
//     device greets with the ids, one byte giving the serial number's length (0 to 126) and the
//     serial number in UTF-8, or closes the connection when that unit is not plugged in. Unit K
//     is at "tcp:127.0.0.1:PORT#K", location "sim:K".
// A stream has no message boundaries, so only a hello that says its own length can carry a serial
// number; the single form keeps its 4 bytes for the tools that already speak it.
//
// A report half written or a report ID other than 0x00 leaves the stream out of step for good:
// the connection is then dropped, and the next discovery starts afresh.

#include <QString>
#include <memory>

#include "link/StreamHidBackend.h"
#include "link/TcpAddress.h"

namespace quorvin {

class TcpBackend final : public StreamHidBackend {
 public:
  static constexpr int kMaxUnits = 255;  // a unit is named by one byte

  // `units` 0: the single form; 1 or more: that many units on the one port.
  explicit TcpBackend(const TcpAddress& address, int units = 0);

  // The address names the unit: one listener (and unit number) is one unit on this machine,
  // whoever asks.
  [[nodiscard]] QString LockName(const HidDeviceInfo& info) const override { return info.path; }

 private:
  [[nodiscard]] QStringList UnitPaths() const override { return m_paths; }
  [[nodiscard]] Attach Connect(const QString& path, std::unique_ptr<ReportStream>& stream, HidHello& hello) override;
  [[nodiscard]] QString LocationOf(const QString& path) const override;
  // A hello that failed: when it timed out, the port (a single-unit sim, say) is not waited on
  // again for a moment, so looking at N units costs one wait rather than N.
  Attach Unanswered(qint64 deadline);

  static constexpr int kQuietMs = 200;
  TcpAddress m_address;
  int m_units;
  QStringList m_paths;        // "tcp:127.0.0.1:PORT", or "tcp:127.0.0.1:PORT#1" .. "#N"
  qint64 m_quietUntilMs = 0;  // on MonoMs(); the base's lock guards it, as every Connect
};

}  // namespace quorvin
