#pragma once
// Where a HID interface hangs: "usb:" and its USB bus/port chain ("usb:1-2.3"), which stays the same
// when the repeater is replugged into the same socket, so a technician can name a station's repeater
// by its socket. Read from the system beside hidapi (one file per platform); empty when the system
// does not tell.

#include <QString>

namespace quorvin {

[[nodiscard]] QString UsbLocationOf(const QString& hidPath);

}  // namespace quorvin
