#include <windows.h>

#include "host/WindowsErrorText.h"

namespace quorvin {

QString WindowsErrorText(unsigned long code) {
  wchar_t* text = nullptr;
  const DWORD n =
      FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                     nullptr, code, 0, reinterpret_cast<wchar_t*>(&text), 0, nullptr);
  const QString words = n > 0 ? QString::fromWCharArray(text, static_cast<qsizetype>(n)).trimmed() : QString();
  if (text) LocalFree(text);
  return words.isEmpty() ? QStringLiteral("System error %1").arg(code) : words;
}

}  // namespace quorvin
