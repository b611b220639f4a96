#include <csignal>
#include <cstdlib>

#include "cli/ExitStatus.h"
#include "cli/Interrupt.h"
#include "host/Process.h"

namespace quorvin::cli {

namespace {
std::atomic<bool>* g_interrupted = nullptr;

extern "C" void OnInterrupt(int) {
  if (g_interrupted->exchange(true)) std::_Exit(kExitInterrupted);
}

// A hangup (the terminal or the SSH session closed) asks for a clean stop like the first Ctrl+C:
// a station lets its running units finish and records them. It never ends the program at once,
// since one hangup may arrive twice (from the system and from the shell passing it on).
extern "C" void OnHangup(int) { g_interrupted->store(true); }
}  // namespace

void InstallInterruptHandlers(std::atomic<bool>& interrupted) {
  g_interrupted = &interrupted;
  std::signal(SIGINT, OnInterrupt);
  std::signal(SIGTERM, OnInterrupt);
  // Unless hangups are to be ignored (nohup): that stays as the caller set it.
  struct sigaction hangup {};
  if (::sigaction(SIGHUP, nullptr, &hangup) == 0 && hangup.sa_handler != SIG_IGN) std::signal(SIGHUP, OnHangup);
  // A reader that went away (`quorvinctl ... | head`) costs the output, never the operation: a
  // write then fails with EPIPE and the run goes on to its end, its history and its status.
  std::signal(SIGPIPE, SIG_IGN);
  TreatFileSizeLimitAsWriteError();
}

}  // namespace quorvin::cli
