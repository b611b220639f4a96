#include "bench/SimProcess.h"

#include <QRegularExpression>
#include <cstdio>

namespace quorvin::bench {

SimProcess::~SimProcess() { Stop(); }

bool SimProcess::Start(const QStringList& args, QString& error) {
  // The sim's own lines would mix with the figures on standard output: they go to our stderr.
  m_process.setProcessChannelMode(QProcess::SeparateChannels);
  m_process.setReadChannel(QProcess::StandardOutput);
  QObject::connect(&m_process, &QProcess::readyReadStandardError, [this] {
    const QByteArray err = m_process.readAllStandardError();
    std::fwrite(err.constData(), 1, static_cast<std::size_t>(err.size()), stderr);
  });
  QStringList all = args;
  const QString tracePath = qEnvironmentVariable("QUORVIN_BENCH_SIM_TRACE");
  if (!tracePath.isEmpty()) {
    m_trace.setFileName(tracePath);
    if (m_trace.open(QIODevice::Append)) all << QStringLiteral("--trace");
  }
  m_process.start(m_simPath, all);
  if (!m_process.waitForStarted(5000)) {
    error = QStringLiteral("cannot start %1: %2").arg(m_simPath, m_process.errorString());
    return false;
  }
  QByteArray out;
  while (!out.contains('\n')) {
    if (!m_process.waitForReadyRead(10000)) {
      error = QStringLiteral("%1 did not say it was ready (%2)").arg(m_simPath, m_process.errorString());
      Stop();
      return false;
    }
    out += m_process.readAllStandardOutput();
  }
  const QString line = QString::fromLocal8Bit(out.left(out.indexOf('\n')));
  std::fprintf(stderr, "bench: %s\n", qPrintable(line));
  if (!line.startsWith(QLatin1String("quorvin-sim ready"))) {
    error = QStringLiteral("unexpected first line from the sim: ") + line;
    Stop();
    return false;
  }
  if (m_trace.isOpen()) {
    m_trace.write(out.mid(out.indexOf('\n') + 1));
    QObject::connect(&m_process, &QProcess::readyReadStandardOutput,
                     [this] { m_trace.write(m_process.readAllStandardOutput()); });
  }
  const QRegularExpressionMatch m = QRegularExpression(QStringLiteral("serial (\\S+?)[;)\\s]")).match(line);
  if (m.hasMatch()) m_serialPath = m.captured(1);
  return true;
}

void SimProcess::Stop() {
  if (m_process.state() != QProcess::NotRunning) {
    m_process.terminate();
    if (!m_process.waitForFinished(5000)) {
      m_process.kill();
      m_process.waitForFinished(2000);
    }
  }
  if (m_trace.isOpen()) {
    m_trace.write(m_process.readAllStandardOutput());
    m_trace.close();
  }
}

}  // namespace quorvin::bench
