#include <windows.h>

#include "host/PortHolder.h"

namespace quorvin {

// Windows opens a COM port exclusively and does not say who has it: a second open is refused with
// one of two codes, and the holder stays unnamed.
PortHolder FindPortHolder(const QString& location) {
  PortHolder holder;
  const HANDLE h = CreateFileW(reinterpret_cast<const wchar_t*>(location.utf16()), GENERIC_READ | GENERIC_WRITE, 0,
                               nullptr, OPEN_EXISTING, 0, nullptr);
  if (h != INVALID_HANDLE_VALUE) {
    CloseHandle(h);
    return holder;
  }
  const DWORD code = GetLastError();
  holder.busy = code == ERROR_ACCESS_DENIED || code == ERROR_SHARING_VIOLATION;
  return holder;
}

}  // namespace quorvin
