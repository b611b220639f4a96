#include "link/Backends.h"

#include "link/HidapiBackend.h"
#include "link/SocketBackend.h"
#include "link/TcpBackend.h"

namespace quorvin {

std::unique_ptr<HidBackend> MakeHidapiBackend() { return std::make_unique<HidapiBackend>(); }

std::unique_ptr<HidBackend> MakeSocketBackend(const QString& setting, QString* error) {
  const QLatin1String tcp("tcp:");
  if (!setting.startsWith(tcp)) return MakeUnixSocketBackend(setting, error);
  QString why;
  const auto address = ParseLoopbackAddress(setting.mid(tcp.size()), /*portZeroAllowed=*/false, why);
  if (address) return std::make_unique<TcpBackend>(*address);
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
