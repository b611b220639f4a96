#include <windows.h>

#include <cstdlib>

#include "cli/ExitStatus.h"
#include "cli/Interrupt.h"

namespace quorvin::cli {

namespace {
std::atomic<bool>* g_interrupted = nullptr;

// Runs on a thread of its own that the system starts for each event.
BOOL WINAPI OnConsoleEvent(DWORD event) {
  switch (event) {
    case CTRL_C_EVENT:
    case CTRL_BREAK_EVENT:
      if (g_interrupted->exchange(true)) std::_Exit(kExitInterrupted);
      return TRUE;
    case CTRL_CLOSE_EVENT:
    case CTRL_LOGOFF_EVENT:
    case CTRL_SHUTDOWN_EVENT:
      // The process ends when this returns: ask the operation to stop and give it the tenth of a
      // second it needs to close the port and leave an earlier file as it was.
      g_interrupted->store(true);
      Sleep(500);
      return FALSE;
    default:
      return FALSE;
  }
}
}  // namespace

void InstallInterruptHandlers(std::atomic<bool>& interrupted) {
  g_interrupted = &interrupted;
  (void)SetConsoleCtrlHandler(OnConsoleEvent, TRUE);
}

}  // namespace quorvin::cli
