#include <windows.h>

#include <cstdlib>

#include "cli/Terminal.h"

namespace quorvin::cli {

namespace {

// Only a console answers GetConsoleMode: _isatty would also take the NUL device for one.
bool IsConsole(DWORD which) {
  DWORD mode = 0;
  return GetConsoleMode(GetStdHandle(which), &mode) != 0;
}

UINT g_outputCodePage = 0;

// The console's code page belongs to the console, not to this process: it goes back as it was.
void RestoreCodePage() {
  if (g_outputCodePage != 0) (void)SetConsoleOutputCP(g_outputCodePage);
}

}  // namespace

bool StandardErrorIsTerminal() { return IsConsole(STD_ERROR_HANDLE); }

bool StandardErrorRedrawsInPlace() {
  const HANDLE h = GetStdHandle(STD_ERROR_HANDLE);
  DWORD mode = 0;
  if (!GetConsoleMode(h, &mode)) return false;
  if (mode & ENABLE_VIRTUAL_TERMINAL_PROCESSING) return true;
  // Consoles before Windows 10 refuse the mode: the slots are then written as plain lines.
  return SetConsoleMode(h, mode | ENABLE_VIRTUAL_TERMINAL_PROCESSING) != 0;
}

void PrepareConsoleOutput() {
  if (!IsConsole(STD_OUTPUT_HANDLE) && !IsConsole(STD_ERROR_HANDLE)) return;
  const UINT was = GetConsoleOutputCP();
  if (was == CP_UTF8 || !SetConsoleOutputCP(CP_UTF8)) return;
  g_outputCodePage = was;
  std::atexit(RestoreCodePage);
}

}  // namespace quorvin::cli
