#include "CtlProcess.h"

#include <QElapsedTimer>
#include <QProcessEnvironment>

namespace quorvin::test {

void StartCtlIn(QProcess& process, QProcessEnvironment env, const QStringList& args, const QString& socket) {
  env.remove(QStringLiteral("QUORVIN_HID_SOCKET"));
  env.remove(QStringLiteral("QUORVIN_DEVICE"));
  if (!socket.isEmpty()) env.insert(QStringLiteral("QUORVIN_HID_SOCKET"), socket);
  process.setProcessEnvironment(env);
  process.start(QStringLiteral(QUORVINCTL_BINARY), args);
  process.waitForStarted();
}

bool WaitForError(QProcess& process, const QString& text, int timeoutMs, QString* seen) {
  QString all;
  QElapsedTimer t;
  t.start();
  bool found = false;
  while (!found && t.elapsed() < timeoutMs && process.state() == QProcess::Running) {
    process.waitForReadyRead(50);
    all += QString::fromUtf8(process.readAllStandardError());
    found = all.contains(text);
  }
  if (seen) *seen = all;
  return found;
}

void StartCtl(QProcess& process, const QStringList& args, const QString& socket, const QString& device) {
  QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
  env.remove(QStringLiteral("QUORVIN_HID_SOCKET"));
  env.remove(QStringLiteral("QUORVIN_DEVICE"));
  if (!socket.isEmpty()) env.insert(QStringLiteral("QUORVIN_HID_SOCKET"), socket);
  if (!device.isEmpty()) env.insert(QStringLiteral("QUORVIN_DEVICE"), device);
  process.setProcessEnvironment(env);
  process.start(QStringLiteral(QUORVINCTL_BINARY), args);
  process.waitForStarted();
}

CtlRun RunCtl(const QStringList& args, const QString& socket, int timeoutMs, const QString& device) {
  QProcess p;
  StartCtl(p, args, socket, device);
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
