#include "link/HidapiBackend.h"

#include <hidapi/hidapi.h>

#include <QFile>
#include <QtGlobal>
#include <algorithm>
#include <cerrno>
#include <cstring>
#include <mutex>

#include "host/Clock.h"
#include "link/HidLink.h"
#include "link/HidNode.h"

namespace quorvin {

namespace {
// hid_init/hid_exit are process-wide: the first backend initialises, the last one releases.
std::mutex g_libMutex;
int g_libUsers = 0;
bool g_libOk = false;

class HidapiHandle final : public HidHandle {
 public:
  HidapiHandle(hid_device* dev, QByteArray path) : m_dev(dev), m_path(std::move(path)) {}
  ~HidapiHandle() override { hid_close(m_dev); }
  HidapiHandle(const HidapiHandle&) = delete;
  HidapiHandle& operator=(const HidapiHandle&) = delete;

  HidIo Write(const std::uint8_t* report, std::size_t length, int timeoutMs) override {
    // hidraw writes block until the device takes the report; one that takes longer than the
    // time allowed counts as not completed, just as a write that fails.
    const qint64 start = MonoMs();
    const int n = hid_write(m_dev, report, length);
    if (n < 0) return Failed();
    if (MonoMs() - start > timeoutMs) return HidIo::Timeout;
    return HidIo::Ok;
  }

  HidIo Read(std::uint8_t* data, std::size_t capacity, int timeoutMs) override {
    // Devices without numbered reports deliver the data bytes only, without the report ID.
    const int n = hid_read_timeout(m_dev, data, capacity, timeoutMs);
    if (n > 0) return HidIo::Ok;
    if (n == 0) return HidIo::Timeout;
    return Failed();
  }

 private:
  HidIo Failed() const { return HidNodeGone(m_path) ? HidIo::Disconnected : HidIo::Error; }

  hid_device* m_dev;
  QByteArray m_path;
};
}  // namespace

QString HidapiVersionText() {
#if defined(HID_API_VERSION) && HID_API_VERSION >= HID_API_MAKE_VERSION(0, 10, 0)
  if (const char* running = hid_version_str()) return QString::fromLatin1(running);
  return QStringLiteral(HID_API_VERSION_STR);
#else
  return {};  // headers before 0.10 tell no version
#endif
}

HidapiBackend::HidapiBackend() {
  std::lock_guard lock(g_libMutex);
  if (g_libUsers++ == 0) g_libOk = hid_init() == 0;
  m_usable = g_libOk;
}

HidapiBackend::~HidapiBackend() {
  std::lock_guard lock(g_libMutex);
  if (--g_libUsers == 0 && g_libOk) {
    hid_exit();
    g_libOk = false;
  }
}

std::vector<HidDeviceInfo> HidapiBackend::Enumerate() {
  std::vector<HidDeviceInfo> found;
  if (!m_usable) return found;
  // Every present HID interface: non-matching ones are part of what discovery examines.
  hid_device_info* list = hid_enumerate(0, 0);
  for (const hid_device_info* d = list; d; d = d->next) {
    HidDeviceInfo info;
    info.path = d->path ? QFile::decodeName(d->path) : QString();
    info.vendorId = d->vendor_id;
    info.productId = d->product_id;
    if (d->serial_number) info.serial = QString::fromWCharArray(d->serial_number).trimmed();
    // Only the repeater's own interfaces are worth a look in the system's device tree.
    if (info.vendorId == kVendorId && info.productId == kProductId) info.location = UsbLocationOf(info.path);
    found.push_back(info);
  }
  hid_free_enumeration(list);
  return found;
}

HidOpen HidapiBackend::Open(const QString& path, std::unique_ptr<HidHandle>& handle) {
  if (!m_usable || path.isEmpty()) return HidOpen::Failed;
  const QByteArray native = QFile::encodeName(path);
  errno = 0;
  hid_device* dev = hid_open_path(native.constData());
  const int openErrno = errno;
  if (!dev) return HidAccessRefused(native, openErrno) ? HidOpen::AccessDenied : HidOpen::Failed;
  handle = std::make_unique<HidapiHandle>(dev, native);
  return HidOpen::Ok;
}

}  // namespace quorvin
