#include <windows.h>

#include "host/SerialComm.h"

namespace quorvin {

std::vector<SerialCommEntry> SerialCommPorts() {
  std::vector<SerialCommEntry> ports;
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
    ports.push_back({port, QString::fromWCharArray(device, deviceLen)});
  }
  RegCloseKey(key);
  return ports;
}

}  // namespace quorvin
