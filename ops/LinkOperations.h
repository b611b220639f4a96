#pragma once
// The operations as each link carries them; Operations.cpp picks the one for a channel's link.
// Only ops/ includes this: everyone else calls the functions of Operations.h.

#include "ops/Operations.h"

namespace quorvin::usb {

[[nodiscard]] OpResult Upgrade(UsbChannel& ch, const QString& path);
[[nodiscard]] OpResult DownloadBackup(UsbChannel& ch, const QString& path);
[[nodiscard]] OpResult ReadBackup(UsbChannel& ch, const QString& path);
[[nodiscard]] OpResult VerifyBackup(UsbChannel& ch, const QByteArray& expected);
[[nodiscard]] OpResult ReadVersion(UsbChannel& ch);
[[nodiscard]] OpResult SetFrequency(UsbChannel& ch, qint32 hz);
[[nodiscard]] OpResult ReadFrequency(UsbChannel& ch);
[[nodiscard]] OpResult InitCallButtons(UsbChannel& ch);
[[nodiscard]] OpResult SendImage(UsbChannel& ch, std::uint8_t command, const QByteArray& image, const QString& title);

}  // namespace quorvin::usb

namespace quorvin::serial {

[[nodiscard]] OpResult Upgrade(SerialChannel& ch, const QString& path);
[[nodiscard]] OpResult DownloadBackup(SerialChannel& ch, const QString& path);
[[nodiscard]] OpResult ReadBackup(SerialChannel& ch, const QString& path);
[[nodiscard]] OpResult VerifyBackup(SerialChannel& ch, const QByteArray& expected);
[[nodiscard]] OpResult ReadVersion(SerialChannel& ch);

}  // namespace quorvin::serial
