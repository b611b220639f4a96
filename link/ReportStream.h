#pragma once
// One connection of the virtual HID link once the device has said hello: it moves whole 65-byte
// reports, report ID first. How they travel is the transport's: a Unix socket keeps one report to
// a message (SocketBackendPosix.cpp), TCP puts them back to back on a stream (TcpBackend.cpp).
// StreamHidBackend keeps everything else.
//
// A handle may send and receive while discovery, on another thread, asks PeerGone of the same
// connection: PeerGone only looks, and must be safe beside the other two.

#include <QtGlobal>
#include <cstdint>

#include "link/HidBackend.h"

namespace quorvin {

class ReportStream {
 public:
  // What one transfer did. `broken` when the connection can carry nothing more, whatever `io`
  // says of this transfer: the peer hung up, or a stream no longer falls into reports where it
  // should. HidIo::Disconnected is always broken.
  struct Result {
    HidIo io;
    bool broken = false;
  };

  virtual ~ReportStream() = default;
  // Sends one whole report (kReportSize bytes) before `deadlineMs`, on MonoMs().
  [[nodiscard]] virtual Result Send(const std::uint8_t* report, qint64 deadlineMs) = 0;
  // Receives one whole report into `report` (kReportSize bytes) before `deadlineMs`. What is not a
  // report (another size, a report ID other than 0x00) is an Error.
  [[nodiscard]] virtual Result Receive(std::uint8_t* report, qint64 deadlineMs) = 0;
  // Drops the reports that came while nobody had the device open: they answer nothing the new
  // opener asked. False when the connection turned out to be gone.
  [[nodiscard]] virtual bool DiscardPending() = 0;
  // Whether the device has gone away, without taking anything off the connection.
  [[nodiscard]] virtual bool PeerGone() = 0;
};

}  // namespace quorvin
