#pragma once
// What the user is told about the host's files and the USB link's discovery faults, in their
// language. The layers below (host/, link/) only say what happened, typed; the words are here.

#include <QString>

#include "host/History.h"
#include "host/InputFile.h"
#include "host/OutputFile.h"
#include "link/HidLink.h"
#include "ops/Language.h"
#include "ops/OpResult.h"

namespace quorvin {

// What to tell the user about a file ReadWholeFile could not deliver; `path` empty for data that
// came from no file. The system's reason follows on its own line.
[[nodiscard]] QString FileReadMessage(const Language& lang, FileRead status, const QString& path, qint64 maxBytes,
                                      const QString& reason);

// The words for an output path that is refused; `reason` (the system's) is used for CannotCreate.
[[nodiscard]] QString OutputRefusalText(const Language& lang, OutputRefusal refusal, const QString& reason);

// "Cannot write the file ..." with the system's reason on its own line.
[[nodiscard]] QString FileWriteMessage(const Language& lang, const QString& path, const QString& reason);

// Why a file the tool keeps or appends to (the history, a report) was not used: something other
// than a regular file stands at its path.
[[nodiscard]] QString NotRegularFileText(const Language& lang);
// What went wrong with a file the tool keeps for itself (the history, the newest recording), without
// its path: the caller names the file.
[[nodiscard]] QString FileProblemText(const Language& lang, const FileProblem& problem);

// A discovery fault in the user's words, for whoever tells it (the link itself never does).
[[nodiscard]] QString DiscoveryFaultText(const Language& lang, DiscoveryFault fault);

// What went wrong in a run, in the user's words; empty for Fault::None. The result's detail (which
// command, which packet) stays as the operation wrote it, for support.
[[nodiscard]] QString FaultCauseText(const Language& lang, Fault fault);

}  // namespace quorvin
