#pragma once
// The virtual HID link over TCP on the loopback address, for a tool that has no Unix sockets (the
// Windows build, under Wine too): the same hello and reports, back to back on the stream.
//
// Pauses are judged by the kernel's receive stamps, as on the Unix socket, read a report at a time
// so a stamp never covers the next report. A stream stamps less finely, though: once a report
// waits unread when the next one arrives, the kernel merges the two and both carry the later time.
// So the pace is judged exactly as long as the sim falls behind by less than one pause (50 ms
// between upload packets, the first pause's seconds after packet 1); starved for longer, it sees
// the pause before the later report as shorter than it was (--pause-tolerance-ms widens the
// allowance). Nagle is off on both sides, so a report leaves when it is written.

#include "link/TcpAddress.h"
#include "sim/HidLinkServer.h"

namespace quorvin {

class HidTcpServer final : public HidLinkServer {
 public:
  HidTcpServer(DeviceModel& model, Clock& clock) : HidLinkServer(model, clock) {}
  ~HidTcpServer() override;

  // Listens on `address`, a loopback one only; port 0 lets the system pick, Address() then tells.
  [[nodiscard]] bool Listen(const TcpAddress& address, QString& error);
  [[nodiscard]] const TcpAddress& Address() const { return m_address; }

  [[nodiscard]] QString Describe() const override { return QStringLiteral("hid-tcp ") + m_address.Text(); }

 private:
  Take TakeReport(Client& c, Report& report, qint64& writtenAtMs) override;
  bool PrepareClient(int fd) override;

  TcpAddress m_address;
};

}  // namespace quorvin
