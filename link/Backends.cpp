#include "link/Backends.h"

#include "link/HidapiBackend.h"
#include "link/SocketBackend.h"

namespace quorvin {

std::unique_ptr<HidBackend> MakeHidapiBackend() { return std::make_unique<HidapiBackend>(); }

std::unique_ptr<HidBackend> MakeSocketBackend(const QString& socketPath) {
  return std::make_unique<SocketBackend>(socketPath);
}

bool SocketBackendRequested() { return !qEnvironmentVariable("QUORVIN_HID_SOCKET").isEmpty(); }

std::unique_ptr<HidBackend> MakeDefaultBackend() {
  if (SocketBackendRequested()) return MakeSocketBackend(qEnvironmentVariable("QUORVIN_HID_SOCKET"));
  return MakeHidapiBackend();
}

}  // namespace quorvin
