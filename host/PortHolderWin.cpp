#include <windows.h>
// After windows.h, which it needs.
#include <restartmanager.h>

#include "host/PortHolder.h"

namespace quorvin {

namespace {

// The Restart Manager knows who has a file open; for a device such as a COM port it often does
// not, and the holder then stays unnamed.
QString HolderByRestartManager(const QString& location) {
  DWORD session = 0;
  WCHAR key[CCH_RM_SESSION_KEY + 1] = {};
  if (RmStartSession(&session, 0, key) != ERROR_SUCCESS) return {};
  QString who;
  const std::wstring path = location.toStdWString();
  LPCWSTR files[] = {path.c_str()};
  if (RmRegisterResources(session, 1, files, 0, nullptr, 0, nullptr) == ERROR_SUCCESS) {
    RM_PROCESS_INFO found[4] = {};
    UINT needed = 0;
    UINT count = static_cast<UINT>(std::size(found));
    DWORD reasons = 0;
    const DWORD status = RmGetList(session, &needed, &count, found, &reasons);
    if ((status == ERROR_SUCCESS || status == ERROR_MORE_DATA) && count > 0 && count <= std::size(found)) {
      const RM_PROCESS_INFO& first = found[0];
      found[0].strAppName[CCH_RM_MAX_APP_NAME] = L'\0';
      who = QStringLiteral("%1 (pid %2)")
                .arg(QString::fromWCharArray(first.strAppName))
                .arg(static_cast<qulonglong>(first.Process.dwProcessId));
    }
  }
  (void)RmEndSession(session);
  return who;
}

}  // namespace

// Windows opens a COM port exclusively: a second open is refused with one of two codes.
PortHolder FindPortHolder(const QString& location) {
  PortHolder holder;
  const HANDLE h = CreateFileW(reinterpret_cast<const wchar_t*>(location.utf16()), GENERIC_READ | GENERIC_WRITE, 0,
                               nullptr, OPEN_EXISTING, 0, nullptr);
  if (h != INVALID_HANDLE_VALUE) {
    CloseHandle(h);
    return holder;
  }
  holder.busy = PortBusyCode(GetLastError());
  if (holder.busy) holder.who = HolderByRestartManager(location);
  return holder;
}

bool PortBusyCode(unsigned long code) { return code == ERROR_ACCESS_DENIED || code == ERROR_SHARING_VIOLATION; }

}  // namespace quorvin
