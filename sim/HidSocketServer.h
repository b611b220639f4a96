#pragma once
// The device side of the virtual HID link: listens on a Unix SOCK_SEQPACKET socket, greets each
// connection with the 4-byte hello (vendor id, product id, 16-bit little-endian each) and then
// moves 65-byte reports between the connection and the device model. Replies go to the
// connection that sent the last report, as a device answers whoever is talking to it.

#include <optional>
#include <vector>

#include "link/Clock.h"
#include "protocol/Frame.h"
#include "sim/SimTransport.h"
#include "sim/model/DeviceModel.h"

namespace quorvin {

class HidSocketServer final : public SimTransport {
 public:
  HidSocketServer(DeviceModel& model, Clock& clock) : m_model(model), m_clock(clock) {}
  ~HidSocketServer() override;  // closes everything and removes the socket file
  HidSocketServer(const HidSocketServer&) = delete;
  HidSocketServer& operator=(const HidSocketServer&) = delete;

  // Creates the socket. A stale socket left by a dead sim is replaced; a live one, or any file
  // that is not a socket, is left alone and reported.
  [[nodiscard]] bool Listen(const QString& path, QString& error);

  [[nodiscard]] QString Describe() const override { return QStringLiteral("hid-socket ") + m_path; }
  void CollectPollFds(std::vector<pollfd>& fds) override;
  void Service(std::span<const pollfd> fds, qint64 nowMs) override;
  [[nodiscard]] std::optional<qint64> NextWakeMs() const override;

 private:
  void Accept(qint64 nowMs);
  void Receive(int fd, qint64 nowMs);
  void CloseClient(int fd, qint64 nowMs);
  void Deliver(qint64 nowMs);
  void Vanish(qint64 nowMs);
  void Shutdown();

  DeviceModel& m_model;
  Clock& m_clock;
  QString m_path;
  QByteArray m_nativePath;
  int m_listen = -1;
  std::vector<int> m_clients;
  int m_active = -1;             // who gets the device's reports
  std::optional<Report> m_held;  // taken from the model, waiting for room in the socket
  bool m_vanished = false;
};

}  // namespace quorvin
