#pragma once
// The virtual HID link on a Unix SOCK_SEQPACKET socket: each message one report, stamped by the
// kernel on its own.

#include <QByteArray>
#include <QString>

#include "sim/HidLinkServer.h"

namespace quorvin {

class HidSocketServer final : public HidLinkServer {
 public:
  HidSocketServer(DeviceModel& model, Clock& clock) : HidLinkServer(model, clock) {}
  ~HidSocketServer() override;  // closes everything and removes the socket file

  // Creates the socket. A stale socket left by a dead sim is replaced; a live one, or any file
  // that is not a socket, is left alone and reported.
  [[nodiscard]] bool Listen(const QString& path, QString& error);

  [[nodiscard]] QString Describe() const override { return QStringLiteral("hid-socket ") + m_path; }

  // A unit pulled out and plugged in again every `ms`: its socket goes (every host sees it gone)
  // and comes back at the same path. 0: never.
  void SetReplugEveryMs(int ms, qint64 nowMs);
  void Service(std::span<const pollfd> fds, qint64 nowMs) override;
  [[nodiscard]] std::optional<qint64> NextWakeMs() const override;

 private:
  Take TakeReport(Client& c, Report& report, qint64& writtenAtMs) override;
  bool PrepareClient(int) override { return true; }
  void ListenerClosed() override;

  QString m_path;
  QByteArray m_nativePath;
  int m_replugMs = 0;
  qint64 m_nextReplugMs = 0;
  bool m_unplugged = false;
};

}  // namespace quorvin
