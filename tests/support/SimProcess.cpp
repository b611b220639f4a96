#include "support/SimProcess.h"

#include <QDeadlineTimer>
#include <QRegularExpression>

namespace quorvin::test {

QString SimBinary() { return QStringLiteral(QUORVIN_SIM_BINARY); }

SimProcess::SimProcess(const QStringList& extraArgs, const QString& socketPath)
    : m_socket(socketPath.isEmpty() ? m_dir.path() + QStringLiteral("/hid.sock") : socketPath) {
  Start(QStringList{QStringLiteral("--hid-socket"), SocketPath()} + extraArgs);
}

SimProcess::SimProcess(Units units, const QStringList& extraArgs) : m_socket(m_dir.path() + QStringLiteral("/units")) {
  Start(QStringList{QStringLiteral("--hid-socket"), m_socket, QStringLiteral("--units"), QString::number(units.count)} +
        extraArgs);
}

SimProcess::SimProcess(OverTcp, const QStringList& extraArgs) {
  Start(QStringList{QStringLiteral("--hid-tcp"), QStringLiteral("127.0.0.1:0")} + extraArgs);
  TakeTcpPort({});
}

SimProcess::SimProcess(OverTcp, Units units, const QStringList& extraArgs) {
  Start(QStringList{QStringLiteral("--hid-tcp"), QStringLiteral("127.0.0.1:0"), QStringLiteral("--units"),
                    QString::number(units.count)} +
        extraArgs);
  TakeTcpPort(QStringLiteral("/%1").arg(units.count));
}

void SimProcess::TakeTcpPort(const QString& suffix) {
  const auto port = QRegularExpression(QStringLiteral("hid-tcp 127\\.0\\.0\\.1:(\\d+)")).match(m_output);
  if (port.hasMatch()) m_socket = QStringLiteral("tcp:127.0.0.1:") + port.captured(1) + suffix;
  m_ready = m_ready && port.hasMatch() && port.captured(1) != QLatin1String("0");
}

SimProcess::SimProcess(OverSerial, const QStringList& extraArgs) {
  Start(QStringList{QStringLiteral("--serial")} + extraArgs);
  m_ready = m_ready && !SerialPath().isEmpty();
}

void SimProcess::Start(const QStringList& args) {
  m_process.setProgram(SimBinary());
  m_process.setArguments(args);
  m_process.setProcessChannelMode(QProcess::MergedChannels);
  m_process.start();
  if (!m_process.waitForStarted(5000)) return;
  QDeadlineTimer deadline(10'000);
  while (!deadline.hasExpired() && m_process.state() == QProcess::Running) {
    m_process.waitForReadyRead(static_cast<int>(std::min<qint64>(deadline.remainingTime(), 200)));
    m_output += QString::fromLocal8Bit(m_process.readAll());
    // The whole ready line: a script reads the port off its end.
    const qsizetype ready = m_output.indexOf(QLatin1String("quorvin-sim ready"));
    if (ready >= 0 && m_output.indexOf(QLatin1Char('\n'), ready) > ready) {
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
  const QRegularExpression re(QStringLiteral("serial (/[^\\s;]+)"));
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
