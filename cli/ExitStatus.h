#pragma once
// How a run of quorvinctl ends for the caller: its exit status and --json's "code", both decided
// by the run's typed outcome (OutcomeCode), never by the text of a message.

#include <QString>

#include "ops/OpResult.h"

namespace quorvin::cli {

// Exit statuses; --help lists them.
enum Exit : int {
  kExitOk = 0,
  kExitFailed = 1,        // the device refused, did not answer, or the transfer failed
  kExitUsage = 2,         // bad usage or invalid input: nothing was sent
  kExitNoDevice = 3,      // no repeater on the USB link (or no HID layer), or the serial port could not be opened
  kExitPermission = 4,    // the device or port exists but may not be opened (see udev-rule)
  kExitFile = 5,          // the file could not be read or written, or is too large
  kExitQuiet = 6,         // serial transfer ended without a verdict from the device (status 0x66)
  kExitBusy = 7,          // the device or port is held by another process
  kExitInterrupted = 130  // Ctrl+C
};

struct Verdict {
  int exitCode;
  QString code;  // --json's "code": stable, for scripts to branch on
};

// The one place a run's end becomes an exit status. `lineRefused`: the command line asked for
// something impossible and nothing was tried.
[[nodiscard]] Verdict Judge(const OpResult& r, bool lineRefused = false);

}  // namespace quorvin::cli
