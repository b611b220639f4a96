#include "link/TcpAddress.h"

#include <QList>

namespace quorvin {

namespace {

// Decimal digits only: no sign, no spaces, no base prefix, at most `maxDigits` of them.
std::optional<std::uint32_t> Decimal(QStringView text, qsizetype maxDigits) {
  if (text.isEmpty() || text.size() > maxDigits) return std::nullopt;
  std::uint32_t value = 0;
  for (const QChar c : text) {
    if (c < QLatin1Char('0') || c > QLatin1Char('9')) return std::nullopt;
    value = value * 10 + static_cast<std::uint32_t>(c.unicode() - '0');
  }
  return value;
}

std::optional<std::uint32_t> Ipv4(QStringView host) {
  if (host == QLatin1String("localhost")) return 0x7F000001u;
  const auto parts = host.split(QLatin1Char('.'));
  if (parts.size() != 4) return std::nullopt;
  std::uint32_t address = 0;
  for (const QStringView part : parts) {
    const auto octet = Decimal(part, 3);
    if (!octet || *octet > 255) return std::nullopt;
    address = address << 8 | *octet;
  }
  return address;
}

}  // namespace

QString TcpAddress::Text() const {
  return QStringLiteral("%1.%2.%3.%4:%5")
      .arg(ipv4 >> 24)
      .arg((ipv4 >> 16) & 0xFF)
      .arg((ipv4 >> 8) & 0xFF)
      .arg(ipv4 & 0xFF)
      .arg(port);
}

std::optional<TcpAddress> ParseLoopbackAddress(const QString& text, bool portZeroAllowed, QString& error) {
  const qsizetype colon = text.lastIndexOf(QLatin1Char(':'));
  if (colon < 0) {
    error = QStringLiteral("\"%1\" is not HOST:PORT, such as 127.0.0.1:5555").arg(text);
    return std::nullopt;
  }
  const QStringView host = QStringView(text).left(colon);
  const QStringView portText = QStringView(text).mid(colon + 1);
  const auto ip = Ipv4(host);
  if (!ip) {
    error = QStringLiteral("\"%1\" is not an IPv4 address such as 127.0.0.1").arg(host);
    return std::nullopt;
  }
  if (*ip >> 24 != 127) {
    error = QStringLiteral("%1 is not a loopback address: the virtual link stays on this computer (use 127.0.0.1)")
                .arg(host);
    return std::nullopt;
  }
  const std::uint32_t lowest = portZeroAllowed ? 0 : 1;
  const auto port = Decimal(portText, 5);
  if (!port || *port < lowest || *port > 65535) {
    error = QStringLiteral("the port must be a number from %1 to 65535, not \"%2\"").arg(lowest).arg(portText);
    return std::nullopt;
  }
  return TcpAddress{*ip, static_cast<std::uint16_t>(*port)};
}

}  // namespace quorvin
