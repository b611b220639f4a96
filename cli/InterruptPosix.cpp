#include <csignal>
#include <cstdlib>

#include "cli/CliOptions.h"
#include "cli/Interrupt.h"

namespace quorvin::cli {

namespace {
std::atomic<bool>* g_interrupted = nullptr;

extern "C" void OnInterrupt(int) {
  if (g_interrupted->exchange(true)) std::_Exit(kExitInterrupted);
}
}  // namespace

void InstallInterruptHandlers(std::atomic<bool>& interrupted) {
  g_interrupted = &interrupted;
  std::signal(SIGINT, OnInterrupt);
  std::signal(SIGTERM, OnInterrupt);
#ifdef SIGXFSZ
  // A file-size limit is a write error like a full disk, reported as such; the default action
  // would end the process before it could say so.
  std::signal(SIGXFSZ, SIG_IGN);
#endif
}

}  // namespace quorvin::cli
