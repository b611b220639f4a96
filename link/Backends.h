#pragma once
// Construction of the HID backends.

#include "link/Clock.h"
#include "link/HidBackend.h"

#include <memory>

namespace quorvin {

// hidapi: real devices (hidraw on Linux).
[[nodiscard]] std::unique_ptr<HidBackend> MakeHidapiBackend();
// The virtual HID link served by `quorvin-sim --hid-socket PATH`.
[[nodiscard]] std::unique_ptr<HidBackend> MakeSocketBackend(const QString& socketPath);
// A virtual repeater inside this process (tests, --demo); its state lives as long as the backend.
[[nodiscard]] std::unique_ptr<HidBackend> MakeInProcessBackend(Clock& clock);
// What the window and quorvinctl use: the socket backend when QUORVIN_HID_SOCKET names a socket,
// else the in-process repeater with `demo`, else hidapi.
[[nodiscard]] std::unique_ptr<HidBackend> MakeDefaultBackend(bool demo, Clock& clock);

}  // namespace quorvin
