#include "link/Backends.h"

#include "link/HidapiBackend.h"
#include "link/SocketBackend.h"
#include "link/TcpBackend.h"

namespace quorvin {

std::unique_ptr<HidBackend> MakeHidapiBackend() { return std::make_unique<HidapiBackend>(); }

std::unique_ptr<HidBackend> MakeSocketBackend(const QString& setting, QString* error) {
  const QLatin1String tcp("tcp:");
  if (!setting.startsWith(tcp)) return MakeUnixSocketBackend(setting, error);
  QString where = setting.mid(tcp.size());
  int units = 0;
  QString why;
  if (const qsizetype slash = where.indexOf(QLatin1Char('/')); slash >= 0) {
    // Decimal digits only, as the port: "/+3" or "/0x3" name no number of units.
    const QString count = where.mid(slash + 1);
    bool digits = !count.isEmpty() && count.size() <= 3;
    for (const QChar c : count) digits = digits && c >= QLatin1Char('0') && c <= QLatin1Char('9');
    units = digits ? count.toInt() : 0;
    if (units < 1 || units > TcpBackend::kMaxUnits) {
      if (error)
        *error = QStringLiteral("the number of units after the port must be from 1 to %1, not \"%2\"")
                     .arg(TcpBackend::kMaxUnits)
                     .arg(count);
      return nullptr;
    }
    where.truncate(slash);
  }
  const auto address = ParseLoopbackAddress(where, /*portZeroAllowed=*/false, why);
  if (address) return std::make_unique<TcpBackend>(*address, units);
  if (error) *error = why;
  return nullptr;
}

bool SocketBackendRequested() { return !qEnvironmentVariable("QUORVIN_HID_SOCKET").isEmpty(); }

std::unique_ptr<HidBackend> MakeDefaultBackend(QString* error) {
  if (!SocketBackendRequested()) return MakeHidapiBackend();
  const QString setting = qEnvironmentVariable("QUORVIN_HID_SOCKET");
  QString why;
  auto backend = MakeSocketBackend(setting, &why);
  if (!backend && error) *error = QStringLiteral("QUORVIN_HID_SOCKET=%1 cannot be used: %2").arg(setting, why);
  return backend;
}

}  // namespace quorvin
