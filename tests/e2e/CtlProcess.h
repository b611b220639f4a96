#pragma once
// quorvinctl run as a separate process, the way a production script runs it.

#include <QProcess>
#include <QProcessEnvironment>
#include <QString>
#include <QStringList>

namespace quorvin::test {

struct CtlRun {
  int exitCode = -1;
  QString out;  // standard output: the messages, the result or the JSON object
  QString err;  // standard error: progress and traces
  [[nodiscard]] QStringList OutLines() const { return out.split(QLatin1Char('\n'), Qt::SkipEmptyParts); }
};

// Runs quorvinctl with `args`; `socket` is put in QUORVIN_HID_SOCKET and `device` in QUORVIN_DEVICE
// (empty: left out, whatever the test's own environment holds).
CtlRun RunCtl(const QStringList& args, const QString& socket, int timeoutMs = 30000, const QString& device = {});

// Starts quorvinctl without waiting, for tests that interrupt it.
void StartCtl(QProcess& process, const QStringList& args, const QString& socket, const QString& device = {});
// The same in `env` (the socket variables set as above), for a run as cron or sudo would start it.
void StartCtlIn(QProcess& process, QProcessEnvironment env, const QStringList& args, const QString& socket);
// Waits until what `process` wrote to standard error contains `text` (its first progress line, say):
// a sign it is under way, instead of a guess at how long that takes. All it wrote is kept in `seen`.
bool WaitForError(QProcess& process, const QString& text, int timeoutMs, QString* seen = nullptr);

}  // namespace quorvin::test
