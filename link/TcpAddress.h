#pragma once
// A TCP address on this computer's loopback, as the virtual HID link takes it: "127.0.0.1:PORT".
// Loopback only: the link has no authentication, so it is neither offered to nor sought on a
// network.

#include <QString>
#include <cstdint>
#include <optional>

namespace quorvin {

struct TcpAddress {
  std::uint32_t ipv4 = 0;  // host byte order
  std::uint16_t port = 0;
  [[nodiscard]] QString Text() const;  // "127.0.0.1:5555"
};

// Parses "HOST:PORT": HOST an IPv4 address in 127.0.0.0/8 or "localhost", PORT in decimal from 1
// to 65535, or 0 too when `portZeroAllowed` (a listener that lets the system pick). A malformed or
// non-loopback address answers nothing, with the reason in `error`.
[[nodiscard]] std::optional<TcpAddress> ParseLoopbackAddress(const QString& text, bool portZeroAllowed, QString& error);

}  // namespace quorvin
