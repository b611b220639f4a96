#pragma once
// quorvin-sim as a separate process, as a technician's bench would have the device: started with
// the options a benchmark needs, ready once it has printed its ready line, stopped with SIGTERM.
// With QUORVIN_BENCH_SIM_TRACE=FILE the sim's trace of every report and its time is appended to
// FILE, to see where a figure's time went.

#include <QFile>
#include <QProcess>
#include <QString>
#include <QStringList>

namespace quorvin::bench {

class SimProcess {
 public:
  explicit SimProcess(QString simPath) : m_simPath(std::move(simPath)) {}
  ~SimProcess();
  SimProcess(const SimProcess&) = delete;
  SimProcess& operator=(const SimProcess&) = delete;

  // Starts the sim and waits for its ready line; false with the reason in `error`.
  [[nodiscard]] bool Start(const QStringList& args, QString& error);
  // Before Start: the sim traces every report and byte with its time, kept here for TakeTrace.
  void KeepTrace() { m_keepTrace = true; }
  // The trace lines so far (with KeepTrace).
  [[nodiscard]] QByteArray TakeTrace();
  // The pseudo-terminal the sim serves with --serial (empty without).
  [[nodiscard]] const QString& SerialPath() const { return m_serialPath; }
  void Stop();

 private:
  QString m_simPath;
  QProcess m_process;
  QString m_serialPath;
  QFile m_trace;
  bool m_keepTrace = false;
  QByteArray m_kept;
};

}  // namespace quorvin::bench
