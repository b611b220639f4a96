#pragma once
// Construction of the HID backends.

#include <memory>

#include "link/HidBackend.h"

namespace quorvin {

// hidapi: real devices (hidraw on Linux).
[[nodiscard]] std::unique_ptr<HidBackend> MakeHidapiBackend();
// The virtual HID link as QUORVIN_HID_SOCKET names it: "tcp:127.0.0.1:PORT" for the TCP form
// (`quorvin-sim --hid-tcp`), "tcp:127.0.0.1:PORT/N" for its N units on that port (`quorvin-sim
// --hid-tcp ... --units N`, at sim:1 .. sim:N), anything else a Unix socket path or a folder of
// them (`quorvin-sim --hid-socket PATH`). Null, with the reason in `error`, when it cannot be used:
// a malformed or non-loopback tcp: form, or a path on a system without Unix sockets.
[[nodiscard]] std::unique_ptr<HidBackend> MakeSocketBackend(const QString& setting, QString* error = nullptr);
// What the window and quorvinctl use for a device: the socket backend when QUORVIN_HID_SOCKET names
// a socket, else hidapi. (The window's demo repeater comes from the simulator, not from here.)
// Null, with the reason in `error`, when QUORVIN_HID_SOCKET is set but cannot be used.
[[nodiscard]] std::unique_ptr<HidBackend> MakeDefaultBackend(QString* error = nullptr);
// Whether QUORVIN_HID_SOCKET asks for the virtual HID link.
[[nodiscard]] bool SocketBackendRequested();

}  // namespace quorvin
