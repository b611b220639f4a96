#include "bench/SimProcess.h"

#include <QRegularExpression>
#include <cstdio>
#include <utility>

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
    (void)m_trace.open(QIODevice::Append);
  }
  if (m_trace.isOpen() || m_keepTrace) all << QStringLiteral("--trace");
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
  const auto keep = [this](const QByteArray& lines) {
    if (m_trace.isOpen()) m_trace.write(lines);
    if (m_keepTrace) m_kept += lines;
  };
  keep(out.mid(out.indexOf('\n') + 1));
  QObject::connect(&m_process, &QProcess::readyReadStandardOutput,
                   [this, keep] { keep(m_process.readAllStandardOutput()); });
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
  const QByteArray rest = m_process.readAllStandardOutput();
  if (m_keepTrace) m_kept += rest;
  if (m_trace.isOpen()) {
    m_trace.write(rest);
    m_trace.close();
  }
}

QByteArray SimProcess::TakeTrace() {
  m_kept += m_process.readAllStandardOutput();
  return std::exchange(m_kept, QByteArray());
}

}  // namespace quorvin::bench
