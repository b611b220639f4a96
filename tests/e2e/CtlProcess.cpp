#include "CtlProcess.h"

#include <QProcessEnvironment>

namespace quorvin::test {

void StartCtl(QProcess& process, const QStringList& args, const QString& socket) {
  QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
  env.remove(QStringLiteral("QUORVIN_HID_SOCKET"));
  if (!socket.isEmpty()) env.insert(QStringLiteral("QUORVIN_HID_SOCKET"), socket);
  process.setProcessEnvironment(env);
  process.start(QStringLiteral(QUORVINCTL_BINARY), args);
  process.waitForStarted();
}

CtlRun RunCtl(const QStringList& args, const QString& socket, int timeoutMs) {
  QProcess p;
  StartCtl(p, args, socket);
  CtlRun run;
  if (!p.waitForFinished(timeoutMs)) {
    p.kill();
    p.waitForFinished();
    run.err = QStringLiteral("timed out");
    return run;
  }
  run.exitCode = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
  run.out = QString::fromUtf8(p.readAllStandardOutput());
  run.err += QString::fromUtf8(p.readAllStandardError());
  return run;
}

}  // namespace quorvin::test
