#pragma once
// Several units of the virtual HID link on one TCP port (`quorvin-sim --hid-tcp ADDRESS --units
// N`): each connection names the unit it is for, one byte 1..N, before anything else, and is then
// served by that unit's HidTcpServer, which greets it. A connection for a unit that is not there
// (unplugged by --replug-every, vanished, or past N) is closed unanswered, as a refused connect is
// no device on the single form; one that names no unit within kAskMs is let go.

#include <vector>

#include "link/TcpAddress.h"
#include "sim/HidTcpServer.h"
#include "sim/SimTransport.h"

namespace quorvin {

class HidTcpUnits final : public SimTransport {
 public:
  static constexpr int kAskMs = 2000;  // twice what the tool waits for the hello

  HidTcpUnits() = default;
  ~HidTcpUnits() override;
  HidTcpUnits(const HidTcpUnits&) = delete;
  HidTcpUnits& operator=(const HidTcpUnits&) = delete;

  // Listens on `address`, a loopback one only; port 0 lets the system pick, Address() then tells.
  [[nodiscard]] bool Listen(const TcpAddress& address, QString& error);
  // Unit K is units[K-1], each ServeAsUnit'd on Address(); the caller keeps them alive and serving.
  void SetUnits(std::vector<HidTcpServer*> units) { m_units = std::move(units); }
  [[nodiscard]] const TcpAddress& Address() const { return m_address; }
  // Whether the kernel stamps arrivals (see ListenOnLoopback).
  [[nodiscard]] bool Stamped() const { return m_stamped; }

  [[nodiscard]] QString Describe() const override;
  void CollectPollFds(std::vector<pollfd>& fds) override;
  void Service(std::span<const pollfd> fds, qint64 nowMs) override;
  [[nodiscard]] std::optional<qint64> NextWakeMs() const override;

 private:
  struct Asking {
    int fd;
    qint64 since;
  };
  void Accept(qint64 nowMs);
  // Reads the unit number when it has come; false when `a` is done with (handed over or closed).
  bool HearUnit(const Asking& a, qint64 nowMs);

  int m_listen = -1;
  TcpAddress m_address;
  bool m_stamped = false;
  std::vector<HidTcpServer*> m_units;
  std::vector<Asking> m_asking;  // accepted, the unit not named yet
};

}  // namespace quorvin
