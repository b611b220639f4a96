#pragma once
// Ctrl+C (and the system's request to end) while an operation runs: the first one asks the
// operation to stop cleanly, which it does within about a tenth of a second; a second one ends the
// process at once with the interrupted status. A hangup stops cleanly like the first one, and a
// reader of the output that goes away stops the output only. One file per platform: signals on
// Linux, the console control handler on Windows.

#include <atomic>

namespace quorvin::cli {

// Sets `interrupted` on the first request; `interrupted` must outlive the process's handlers.
void InstallInterruptHandlers(std::atomic<bool>& interrupted);

}  // namespace quorvin::cli
