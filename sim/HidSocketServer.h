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

 private:
  Take TakeReport(Client& c, Report& report, qint64& writtenAtMs) override;
  bool PrepareClient(int) override { return true; }
  void ListenerClosed() override;
  // A replug removes the socket file and creates it again at the same path.
  [[nodiscard]] QString Where() const override { return m_path; }
  [[nodiscard]] bool PlugInAgain(QString& error) override { return Listen(m_path, error); }

  QString m_path;
  QByteArray m_nativePath;
};

}  // namespace quorvin
