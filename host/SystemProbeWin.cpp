// What Windows tells of the repeater's way in: the devices with its ids as the configuration
// manager has them (their driver and problem code, as Device Manager shows them) and the COM ports,
// each tried the way the tool opens it. The Linux checks (/sys, udev) have no counterpart here.

#include <windows.h>
// After windows.h, which they need.
#include <cfgmgr32.h>
#include <setupapi.h>

#include "host/PortHolder.h"
#include "host/SerialComm.h"
#include "host/SystemProbe.h"
#include "host/WindowsErrorText.h"

namespace quorvin {

namespace {

QString DeviceText(HDEVINFO set, SP_DEVINFO_DATA& device, DWORD property) {
  wchar_t text[512] = {};
  DWORD type = 0;
  if (!SetupDiGetDeviceRegistryPropertyW(set, &device, property, &type, reinterpret_cast<BYTE*>(text),
                                         sizeof text - sizeof(wchar_t), nullptr) ||
      type != REG_SZ)
    return {};
  return QString::fromWCharArray(text);
}

std::vector<WindowsDevice> RepeaterDevices(std::uint16_t vendorId, std::uint16_t productId) {
  std::vector<WindowsDevice> found;
  const QString ids = QStringLiteral("VID_%1&PID_%2")
                          .arg(vendorId, 4, 16, QLatin1Char('0'))
                          .arg(productId, 4, 16, QLatin1Char('0'))
                          .toUpper();
  const HDEVINFO set = SetupDiGetClassDevsW(nullptr, nullptr, nullptr, DIGCF_ALLCLASSES | DIGCF_PRESENT);
  if (set == INVALID_HANDLE_VALUE) return found;
  SP_DEVINFO_DATA device{};
  device.cbSize = sizeof device;
  for (DWORD i = 0; SetupDiEnumDeviceInfo(set, i, &device); ++i) {
    wchar_t id[MAX_DEVICE_ID_LEN + 1] = {};
    if (!SetupDiGetDeviceInstanceIdW(set, &device, id, MAX_DEVICE_ID_LEN, nullptr)) continue;
    const QString instance = QString::fromWCharArray(id);
    if (!instance.toUpper().contains(ids)) continue;
    WindowsDevice d;
    d.instanceId = instance;
    d.usb = instance.startsWith(QLatin1String("USB\\"), Qt::CaseInsensitive);
    d.name = DeviceText(set, device, SPDRP_FRIENDLYNAME);
    if (d.name.isEmpty()) d.name = DeviceText(set, device, SPDRP_DEVICEDESC);
    d.service = DeviceText(set, device, SPDRP_SERVICE);
    ULONG status = 0;
    ULONG problem = 0;
    if (CM_Get_DevNode_Status(&status, &problem, device.DevInst, 0) == CR_SUCCESS && (status & DN_HAS_PROBLEM))
      d.problem = problem;
    found.push_back(d);
  }
  SetupDiDestroyDeviceInfoList(set);
  return found;
}

ComPort TryComPort(const SerialCommEntry& entry) {
  ComPort port;
  port.name = entry.port;
  port.device = entry.device;
  const std::wstring path = (QStringLiteral("\\\\.\\") + entry.port).toStdWString();
  // Opened as the tool opens it, and closed at once: nothing is sent, no setting changes.
  const HANDLE h = CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  if (h != INVALID_HANDLE_VALUE) {
    CloseHandle(h);
    return port;
  }
  port.error = GetLastError();
  port.errorText = WindowsErrorText(port.error);
  if (PortBusyCode(port.error)) {
    port.busy = true;
    port.holder = FindPortHolder(QString::fromStdWString(path)).who;
  }
  return port;
}

}  // namespace

SystemFacts ProbeSystem(const QString&, std::uint16_t vendorId, std::uint16_t productId) {
  SystemFacts facts;
  facts.windows = true;
  facts.devices = RepeaterDevices(vendorId, productId);
  for (const SerialCommEntry& entry : SerialCommPorts()) facts.comPorts.push_back(TryComPort(entry));
  return facts;
}

}  // namespace quorvin
