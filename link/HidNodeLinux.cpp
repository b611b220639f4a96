#include <unistd.h>

#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>
#include <cerrno>

#include "link/HidNode.h"

namespace quorvin {

QString UsbLocationOf(const QString& hidPath) {
  // /dev/hidrawN -> /sys/class/hidraw/hidrawN/device, a link into the device tree; the USB device
  // is the first folder above it named like "1-2.3" (bus 1, port 2, then port 3 of a hub). The
  // interface folders ("1-2.3:1.0") and the HID folder below it have other names.
  const QString node = QFileInfo(hidPath).fileName();
  if (!node.startsWith(QLatin1String("hidraw"))) return {};
  QString dir = QFileInfo(QStringLiteral("/sys/class/hidraw/%1/device").arg(node)).canonicalFilePath();
  static const QRegularExpression usbDevice(QStringLiteral("^\\d+-\\d+(\\.\\d+)*$"));
  while (!dir.isEmpty() && dir != QLatin1String("/")) {
    const QString name = QFileInfo(dir).fileName();
    if (usbDevice.match(name).hasMatch()) return QStringLiteral("usb:") + name;
    const QString up = QFileInfo(dir).path();
    if (up == dir) break;
    dir = up;
  }
  return {};
}

bool HidNodeGone(const QByteArray& path) { return path.startsWith('/') && ::access(path.constData(), F_OK) != 0; }

bool HidAccessRefused(const QByteArray& path, int openErrno) {
  if (openErrno == EACCES || openErrno == EPERM) return true;
  if (path.startsWith('/') && ::access(path.constData(), R_OK | W_OK) != 0) return errno == EACCES || errno == EPERM;
  return false;
}

}  // namespace quorvin
