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

// Wraps `body` (direction, command, length, payload, checksum) in m_outReport and writes it, up to
// five attempts. With expectReply it then reads until a valid reply to the same command arrives,
// skipping valid replies to other commands, for at most kReplyWindowMs in all; the reply is left
// in link.m_inReport. A stop request ends the wait without a box. Failures are
// shown to the user here. A body longer than 62 bytes is refused before anything is written.
[[nodiscard]] bool SendUsbCommand(HidLink& link, bool expectReply, std::size_t bodyLength, const std::uint8_t* body);

}  // namespace quorvin
