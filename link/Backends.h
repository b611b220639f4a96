#pragma once
// Construction of the HID backends.

#include <memory>

#include "link/HidBackend.h"

namespace quorvin {

// hidapi: real devices (hidraw on Linux).
[[nodiscard]] std::unique_ptr<HidBackend> MakeHidapiBackend();
// The virtual HID link served by `quorvin-sim --hid-socket PATH`.
[[nodiscard]] std::unique_ptr<HidBackend> MakeSocketBackend(const QString& socketPath);
// What the window and quorvinctl use for a device: the socket backend when QUORVIN_HID_SOCKET names
// a socket, else hidapi. (The window's demo repeater comes from the simulator, not from here.)
[[nodiscard]] std::unique_ptr<HidBackend> MakeDefaultBackend();
// Whether QUORVIN_HID_SOCKET asks for the virtual HID link.
[[nodiscard]] bool SocketBackendRequested();

}  // namespace quorvin
