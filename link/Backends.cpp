#include "link/Backends.h"

#include "link/HidapiBackend.h"
#include "link/InProcessBackend.h"
#include "link/SocketBackend.h"

namespace quorvin {

std::unique_ptr<HidBackend> MakeHidapiBackend() { return std::make_unique<HidapiBackend>(); }

std::unique_ptr<HidBackend> MakeSocketBackend(const QString& socketPath) {
  return std::make_unique<SocketBackend>(socketPath);
}

std::unique_ptr<HidBackend> MakeInProcessBackend(Clock& clock) { return std::make_unique<InProcessBackend>(clock); }

std::unique_ptr<HidBackend> MakeDefaultBackend(bool demo, Clock& clock) {
  const QString socketPath = qEnvironmentVariable("QUORVIN_HID_SOCKET");
  if (!socketPath.isEmpty()) return MakeSocketBackend(socketPath);
  if (demo) return MakeInProcessBackend(clock);
  return MakeHidapiBackend();
}

}  // namespace quorvin
