#include <windows.h>

#include "link/SerialPort.h"
#include "link/SerialPortList.h"

namespace quorvin {

// Every serial driver enters its ports under SERIALCOMM (value: the driver's device, data: COMn),
// and this is the list the system's own tools show, in the same order.
std::vector<SerialPortInfo> AvailableSerialPorts() {
  std::vector<SerialPortInfo> ports;
  HKEY key = nullptr;
  if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, L"HARDWARE\\DEVICEMAP\\SERIALCOMM", 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS)
    return ports;
  for (DWORD i = 0;; ++i) {
    wchar_t device[256];
    wchar_t name[256];
    DWORD deviceLen = 256;
    DWORD nameBytes = sizeof name - sizeof(wchar_t);  // room for a terminator the data may lack
    DWORD type = 0;
    const LSTATUS status =
        RegEnumValueW(key, i, device, &deviceLen, nullptr, &type, reinterpret_cast<BYTE*>(name), &nameBytes);
    if (status == ERROR_NO_MORE_ITEMS) break;
    if (status != ERROR_SUCCESS || type != REG_SZ) continue;
    name[nameBytes / sizeof(wchar_t)] = L'\0';
    const QString port = QString::fromWCharArray(name).trimmed();
    if (port.isEmpty()) continue;
    ports.push_back({port, QStringLiteral("\\\\.\\") + port, QString::fromWCharArray(device, deviceLen)});
  }
  RegCloseKey(key);
  return ports;
}

SerialTarget ResolveSerialTarget(const QString& item) { return ResolveSerialTarget(item, true); }

}  // namespace quorvin
