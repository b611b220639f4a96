#pragma once
// The virtual HID link over TCP on the loopback address, for a tool that has no Unix sockets (the
// Windows build, under Wine too): the same reports, back to back on the stream. One server is one
// unit: on a listener of its own (`--hid-tcp`, the 4-byte hello), or as one of the units on a
// shared port (`--hid-tcp --units N`, HidTcpUnits), greeted with a hello that says its length.
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

// A non-blocking listener on `address`, a loopback one only; port 0 lets the system pick, and
// `bound` tells which. -1 with the reason in `error`. `stamped` says whether the kernel will stamp
// what arrives (see Listen).
[[nodiscard]] int ListenOnLoopback(const TcpAddress& address, TcpAddress& bound, bool& stamped, QString& error);

class HidTcpServer final : public HidLinkServer {
 public:
  HidTcpServer(DeviceModel& model, Clock& clock) : HidLinkServer(model, clock) {}
  ~HidTcpServer() override;

  // Listens on `address`, a loopback one only; port 0 lets the system pick, Address() then tells.
  [[nodiscard]] bool Listen(const TcpAddress& address, QString& error);
  [[nodiscard]] const TcpAddress& Address() const { return m_address; }
  // Serves as unit `unit` (1..) of the units that share the port at `address`: no listener of its
  // own, its connections come through Adopt.
  void ServeAsUnit(const TcpAddress& address, int unit);

  [[nodiscard]] QString Describe() const override { return QStringLiteral("hid-tcp ") + Where(); }

 private:
  Take TakeReport(Client& c, Report& report, qint64& writtenAtMs) override;
  bool PrepareClient(int fd) override;
  // A unit on a shared port says its serial number's length first: a stream keeps no boundaries.
  [[nodiscard]] QByteArray Hello() const override;
  [[nodiscard]] QString Where() const override;
  // The same port again (the system's pick with port 0 included); a unit on a shared port has
  // nothing to open, the shared listener takes its connections again.
  [[nodiscard]] bool PlugInAgain(QString& error) override;

  TcpAddress m_address;
  int m_unit = 0;  // 0: a listener of its own
};

}  // namespace quorvin
