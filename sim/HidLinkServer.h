#pragma once
// The device side of the virtual HID link, whatever carries it: greets each connection with the
// hello (vendor id, product id, 16-bit little-endian each, then the serial number if the unit has
// one) and then moves 65-byte reports between the connections and the device model. Replies go to
// the connection that sent the last report, as a device answers whoever is talking to it. A
// transport opens the listener and cuts what arrives into reports: HidSocketServer (Unix socket, a
// report a message) and HidTcpServer (TCP, reports back to back on a stream).

#include <sys/socket.h>

#include <cstddef>
#include <optional>
#include <vector>

#include "host/Clock.h"
#include "protocol/Frame.h"
#include "sim/SimTransport.h"
#include "sim/model/DeviceModel.h"

namespace quorvin {

class HidLinkServer : public SimTransport {
 public:
  ~HidLinkServer() override;
  HidLinkServer(const HidLinkServer&) = delete;
  HidLinkServer& operator=(const HidLinkServer&) = delete;

  // The serial number the hello carries after the ids; empty: a 4-byte hello, as a unit without one.
  void SetSerial(const QByteArray& utf8) { m_serial = utf8; }

  // A unit pulled out and plugged in again every `ms`: its listener goes (every host sees it gone)
  // and comes back where it was. 0: never.
  void SetReplugEveryMs(int ms, qint64 nowMs);
  // Plugged in and not gone for good: it takes new connections.
  [[nodiscard]] bool Present() const { return !m_unplugged && !m_vanished && !m_model.Vanished(); }
  // Serves a connection accepted elsewhere (a listener that several units share): greets it and
  // takes it on. False, and `fd` closed, when it could not be greeted.
  bool Adopt(int fd, qint64 nowMs);

  void CollectPollFds(std::vector<pollfd>& fds) override;
  void Service(std::span<const pollfd> fds, qint64 nowMs) override;
  [[nodiscard]] std::optional<qint64> NextWakeMs() const override;

 protected:
  struct Client {
    int fd = -1;
    Report rx{};  // a report as far as it has come (a stream brings it in pieces)
    std::size_t rxFill = 0;
  };
  enum class Take { Nothing, Report, HangUp };

  HidLinkServer(DeviceModel& model, Clock& clock) : m_model(model), m_clock(clock) {}

  // Reads what `c` has; on Take::Report fills `report` and `writtenAtMs`, when the host wrote it
  // on m_clock.
  virtual Take TakeReport(Client& c, Report& report, qint64& writtenAtMs) = 0;
  // Sets up a new connection before its hello; false drops it.
  virtual bool PrepareClient(int fd) = 0;
  // What a new connection is greeted with: the ids, then the serial number.
  [[nodiscard]] virtual QByteArray Hello() const;
  // Called once the listener is closed, for what goes with it (a socket file).
  virtual void ListenerClosed() {}
  // Where the unit is served, as the log names it when it is unplugged and plugged in again.
  [[nodiscard]] virtual QString Where() const = 0;
  // Serves again where it served before being unplugged; false with the reason in `error`.
  [[nodiscard]] virtual bool PlugInAgain(QString& error) = 0;
  // Closes the listener, then every connection. Derived destructors call it while they still exist.
  void Shutdown();

  DeviceModel& m_model;
  Clock& m_clock;
  int m_listen = -1;
  QByteArray m_serial;

 private:
  void Accept(qint64 nowMs);
  void Replug(qint64 nowMs);
  void Receive(int fd, qint64 nowMs);
  void CloseClient(int fd, qint64 nowMs);
  void Deliver(qint64 nowMs);
  void Vanish(qint64 nowMs);
  Client* Find(int fd);

  std::vector<Client> m_clients;
  int m_active = -1;             // who gets the device's reports
  std::optional<Report> m_held;  // taken from the model, waiting for room in the socket
  std::size_t m_heldSent = 0;    // of m_held, already in the socket (a stream may take part of it)
  bool m_vanished = false;
  int m_replugMs = 0;
  qint64 m_nextReplugMs = 0;
  bool m_unplugged = false;
};

// When the host wrote what `msg` brought, on the clock that read `nowMs`: now less the age of the
// kernel's receive stamp (SO_TIMESTAMP, on the wall clock, so only its age is used). Without a
// stamp, now.
[[nodiscard]] qint64 WrittenAtMs(msghdr& msg, qint64 nowMs);

}  // namespace quorvin
