#pragma once
// quorvinctl run as a separate process, the way a production script runs it.

#include <QProcess>
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

// Test files: a byte pattern that differs by seed, and whole-file writes and reads.
QByteArray Pattern(int n, int seed);
bool WriteFile(const QString& path, const QByteArray& bytes);
QByteArray ReadFile(const QString& path);

}  // namespace quorvin::test
