#pragma once
// The device side of the virtual serial link: a pseudo-terminal whose slave path the tool opens as
// its COM port, while the serial device model answers on the master side.

#include "host/Clock.h"
#include "sim/SimTransport.h"
#include "sim/model/SerialDevice.h"

namespace quorvin {

class PtySerialServer final : public SimTransport {
 public:
  PtySerialServer(DeviceModel& model, Clock& clock) : m_device(model), m_clock(clock) {}
  ~PtySerialServer() override;
  PtySerialServer(const PtySerialServer&) = delete;
  PtySerialServer& operator=(const PtySerialServer&) = delete;

  // Creates the pseudo-terminal. False with a reason when the system has none to give.
  [[nodiscard]] bool Open(QString& error);
  [[nodiscard]] QString SlavePath() const { return m_slavePath; }
  [[nodiscard]] SerialDevice& Device() { return m_device; }

  [[nodiscard]] QString Describe() const override { return QStringLiteral("serial ") + m_slavePath; }
  void CollectPollFds(std::vector<pollfd>& fds) override;
  void Service(std::span<const pollfd> fds, qint64 nowMs) override;
  [[nodiscard]] std::optional<qint64> NextWakeMs() const override;

 private:
  void Receive(qint64 nowMs);
  void Flush();

  SerialDevice m_device;
  Clock& m_clock;
  int m_master = -1;
  // Held open by the sim itself, so the master never reads as hung up while no tool has the port
  // open (poll would report it over and over).
  int m_slave = -1;
  QString m_slavePath;
  QByteArray m_out;  // due bytes the line has not taken yet
};

}  // namespace quorvin
