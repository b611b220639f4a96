#include "SimProcess.h"

#include <QDeadlineTimer>
#include <QRegularExpression>

namespace quorvin::test {

SimProcess::SimProcess(const QStringList& extraArgs, const QString& socketPath)
    : m_socket(socketPath.isEmpty() ? m_dir.path() + QStringLiteral("/hid.sock") : socketPath) {
  m_process.setProgram(QStringLiteral(QUORVIN_SIM_BINARY));
  m_process.setArguments(QStringList{QStringLiteral("--hid-socket"), SocketPath()} + extraArgs);
  m_process.setProcessChannelMode(QProcess::MergedChannels);
  m_process.start();
  if (!m_process.waitForStarted(5000)) return;
  QDeadlineTimer deadline(10'000);
  while (!deadline.hasExpired() && m_process.state() == QProcess::Running) {
    m_process.waitForReadyRead(static_cast<int>(std::min<qint64>(deadline.remainingTime(), 200)));
    m_output += QString::fromLocal8Bit(m_process.readAll());
    if (m_output.contains(QLatin1String("quorvin-sim ready"))) {
      m_ready = true;
      return;
    }
  }
}

SimProcess::~SimProcess() {
  if (m_process.state() == QProcess::NotRunning) return;
  m_process.terminate();
  if (!m_process.waitForFinished(5000)) {
    m_process.kill();
    m_process.waitForFinished(5000);
  }
}

QString SimProcess::SerialPath() const {
  const QRegularExpression re(QStringLiteral("serial (/\\S+)"));
  const auto match = re.match(m_output);
  return match.hasMatch() ? match.captured(1) : QString();
}

QString SimProcess::Output() {
  // Without an event loop, QProcess only pulls from the pipe inside its wait calls.
  while (m_process.state() == QProcess::Running && m_process.waitForReadyRead(100))
    m_output += QString::fromLocal8Bit(m_process.readAll());
  m_output += QString::fromLocal8Bit(m_process.readAll());
  return m_output;
}

}  // namespace quorvin::test
