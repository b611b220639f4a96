#pragma once
// What the link needs of whoever runs it, and nothing more: whether to stop, a chance for the host
// to serve its events during a wait, and every report or serial chunk that crosses, for a trace or
// a recording. The link never talks to the user; the whole Feedback (boxes, progress) is the
// operations' (ops/Feedback.h) and extends this.

#include <cstddef>
#include <cstdint>

#include "protocol/Recording.h"

namespace quorvin {

class LinkEvents {
 public:
  virtual ~LinkEvents() = default;
  // True when the host asked the running operation to stop (Ctrl+C, Cancel in the window).
  [[nodiscard]] virtual bool CancelRequested() { return false; }
  // Lets the host serve its pending events; false when a quit request was met.
  virtual bool PumpMessages() { return true; }
  // Every report or serial chunk that crosses the link, as it crosses.
  virtual void Trace(TraceDir /*dir*/, const std::uint8_t* /*bytes*/, std::size_t /*count*/) {}
};

}  // namespace quorvin
