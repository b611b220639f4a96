#include "link/Backends.h"

#include "link/HidapiBackend.h"
#include "link/SocketBackend.h"
#include "link/TcpBackend.h"

namespace quorvin {

std::unique_ptr<HidBackend> MakeHidapiBackend() { return std::make_unique<HidapiBackend>(); }

std::unique_ptr<HidBackend> MakeSocketBackend(const QString& spec, QString* error) {
  const QLatin1String tcp("tcp:");
  if (!spec.startsWith(tcp)) return MakeUnixSocketBackend(spec, error);
  QString why;
  const auto address = ParseLoopbackAddress(spec.mid(tcp.size()), /*portZeroAllowed=*/false, why);
  if (address) return std::make_unique<TcpBackend>(*address);
  if (error) *error = why;
  return nullptr;
}

bool SocketBackendRequested() { return !qEnvironmentVariable("QUORVIN_HID_SOCKET").isEmpty(); }

std::unique_ptr<HidBackend> MakeDefaultBackend(QString* error) {
  if (!SocketBackendRequested()) return MakeHidapiBackend();
  const QString spec = qEnvironmentVariable("QUORVIN_HID_SOCKET");
  QString why;
  auto backend = MakeSocketBackend(spec, &why);
  if (!backend && error) *error = QStringLiteral("QUORVIN_HID_SOCKET=%1 cannot be used: %2").arg(spec, why);
  return backend;
}

}  // namespace quorvin
