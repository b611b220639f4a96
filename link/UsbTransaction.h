#pragma once
// One request over the USB link and, when asked, the reply that answers it.

#include <cstddef>
#include <cstdint>

#include "link/HidLink.h"
#include "protocol/Protocol.h"

namespace quorvin {

inline constexpr int kWriteAttempts = kUsbWriteAttempts;
inline constexpr int kReplyTimeoutMs = kUsbReplyTimeoutMs;
// The whole wait for the reply, replies to other commands included.
inline constexpr int kReplyWindowMs = kUsbReplyWindowMs;

enum class TxEnd {
  Ok,
  BadBody,     // longer than a report holds: refused before anything was written
  NotWritten,  // five write attempts failed (no device, or it does not take reports)
  NoReply,     // no report within a read's second, or none for this command within the window
  BadReply,    // a report that is no valid reply
  Stopped,     // the host asked to stop during the wait
};

// Wraps `body` (direction, command, length, payload, checksum) in the link's output report and writes it, up to
// five attempts. With expectReply it then reads until a valid reply to the same command arrives,
// skipping valid replies to other commands, for at most kReplyWindowMs in all; the reply is left
// in link.In(). A body longer than 62 bytes is refused before anything is written.
[[nodiscard]] TxEnd SendUsbCommand(HidLink& link, bool expectReply, std::size_t bodyLength, const std::uint8_t* body);

}  // namespace quorvin
