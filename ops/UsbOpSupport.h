#pragma once
// Small pieces the USB operations share: the short request/reply exchange behind a progress line,
// pauses a stop request can cut short, and the texts for files that cannot be used.

#include <QString>
#include <cstdint>
#include <functional>
#include <span>

#include "ops/UsbOps.h"

namespace quorvin::detail {

// Opens the progress window with `line` and runs one request that expects its reply. The reply,
// when there is one, stays in env.link.m_inReport; the progress window stays open for the caller's
// outcome box.
[[nodiscard]] bool ExchangeWithProgress(UsbEnv& env, const QString& line, std::span<const std::uint8_t> body);

// A request that expects one reply, behind a progress line: the version, the frequency and the
// call-button exchanges. Each shows its outcome box while the progress window is still up.
struct ShortExchange {
  QString line;     // the progress line while the request is out
  QString failure;  // the box when no valid reply came
  MsgIcon icon;     // the icon of both boxes
  QString detail;   // why, for logs and --json, when no valid reply came
};

// Runs `x`: on a valid reply `onReply` fills the result from it and answers the success box's text
// (empty: no box). A stop request ends it without a box.
[[nodiscard]] OpResult RunShortExchange(UsbEnv& env, const ShortExchange& x, std::span<const std::uint8_t> body,
                                        const std::function<QString(OpResult&, const Report&)>& onReply);

// The end of an operation the host asked to stop: no box (the host's doing, not the device's),
// the progress window closed.
[[nodiscard]] OpResult StoppedOnRequest(UsbEnv& env);

// Waits `ms` on the env's clock, looking for a stop request at least every 100 ms so Ctrl+C in the
// terminal is not stuck behind the 5000 ms pause. The full pause is kept unless a stop is asked
// for; answers false in that case.
[[nodiscard]] bool PauseUnlessCancelled(UsbEnv& env, int ms);

// What an upload operation says: its title (the start of every progress line) and its two boxes.
struct UploadTexts {
  QString title;
  QString success;
  QString failure;
};

// The upgrade and the backup download: reads the file (a file that cannot be used gets its
// message and no outcome box), sends it, and shows the outcome box once the progress window
// has closed.
[[nodiscard]] OpResult UploadFileWithOutcome(UsbEnv& env, std::uint8_t command, const QString& path,
                                             const UploadTexts& texts);

// "The file ... is too large" in the user's language; `path` may be empty for an in-memory image.
[[nodiscard]] QString TooLargeText(const Language& lang, const QString& path, qint64 maxBytes);

}  // namespace quorvin::detail
