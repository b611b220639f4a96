#pragma once
// What the system tells beside hidapi about a HID interface's node, one file per platform:
//  - where it hangs: "usb:" and its USB bus/port chain ("usb:1-2.3"), which stays the same when the
//    repeater is replugged into the same socket, so a technician can name a station's repeater by
//    its socket; empty when the system does not tell;
//  - whether its node is gone, and whether an open was refused for want of permission.

#include <QByteArray>
#include <QString>

namespace quorvin {

[[nodiscard]] QString UsbLocationOf(const QString& hidPath);
// After a failed transfer: the node is gone, so the device was pulled out.
[[nodiscard]] bool HidNodeGone(const QByteArray& path);
// Whether a failed open was the system refusing this user (no udev rule yet) rather than another
// fault; `openErrno` is what the open left in errno.
[[nodiscard]] bool HidAccessRefused(const QByteArray& path, int openErrno);

}  // namespace quorvin
