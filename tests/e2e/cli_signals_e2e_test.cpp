// quorvinctl under what a shell or a terminal does to it: output into a pipe whose reader went
// away (`quorvinctl ... | head`), and a hangup (the terminal or SSH session closed). Either costs
// the output at most, never the work: the file is read back, the unit recorded, the status told.

#include <gtest/gtest.h>
#include <unistd.h>

#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>
#include <QThread>
#include <csignal>

#include "CtlProcess.h"
#include "support/Files.h"
#include "support/SimProcess.h"

namespace quorvin {
namespace {

// Standard output and error both go into a pipe nobody reads any more, and SIGPIPE has its
// default action, as under a shell whatever this test process does with it.
void StartIntoClosedPipe(QProcess& p, const QStringList& args, const QString& socket) {
  p.setChildProcessModifier([] {
    int fds[2];
    if (::pipe(fds) != 0) ::_exit(99);
    ::close(fds[0]);
    ::dup2(fds[1], STDOUT_FILENO);
    ::dup2(fds[1], STDERR_FILENO);
    ::close(fds[1]);
    std::signal(SIGPIPE, SIG_DFL);
  });
  test::StartCtl(p, args, socket);
}

// Waits until `path` holds a line, while `p` runs.
bool WaitForLine(QProcess& p, const QString& path) {
  for (int i = 0; i < 300 && !test::ReadFile(path).contains('\n'); ++i) p.waitForFinished(100);
  return test::ReadFile(path).contains('\n');
}

TEST(CtlSignals, AClosedOutputCostsTheOutputNotTheWork) {
  QTemporaryDir dir;
  const QByteArray device = test::Pattern(54 * 40, 7);
  ASSERT_TRUE(test::WriteFile(dir.filePath("device.bin"), device));
  test::SimProcess sim({"--backup", dir.filePath("device.bin")});
  ASSERT_TRUE(sim.Ready());

  QProcess read;
  StartIntoClosedPipe(read, {"--lang", "en", "backup", "read", dir.filePath("backup.bin")}, sim.SocketPath());
  ASSERT_TRUE(read.waitForFinished(30'000));
  EXPECT_EQ(read.exitStatus(), QProcess::NormalExit);
  EXPECT_EQ(read.exitCode(), 0);
  EXPECT_EQ(test::ReadFile(dir.filePath("backup.bin")), device);

  // The station prints a line per slot and per unit: none of them may end it.
  ASSERT_TRUE(test::WriteFile(dir.filePath("r.toml"), "[[step]]\ndo = \"check-version\"\nequals = \"V1.0\"\n"));
  const QString report = dir.filePath("r.jsonl");
  QProcess station;
  StartIntoClosedPipe(station, {"--report", report, "station", dir.filePath("r.toml")}, sim.SocketPath());
  ASSERT_TRUE(WaitForLine(station, report));
  ::kill(static_cast<pid_t>(station.processId()), SIGINT);
  ASSERT_TRUE(station.waitForFinished(10'000));
  EXPECT_EQ(station.exitStatus(), QProcess::NormalExit);
  EXPECT_EQ(station.exitCode(), 130);
  EXPECT_EQ(QJsonDocument::fromJson(test::ReadFile(report)).object()["result"].toString(), "pass");
}

TEST(CtlSignals, AHangupLetsTheRunningUnitFinishAndBeRecorded) {
  QTemporaryDir dir;
  test::SimProcess sim({"--delay-ms", "500"});
  ASSERT_TRUE(sim.Ready());
  ASSERT_TRUE(test::WriteFile(dir.filePath("r.toml"),
                              "[[step]]\ndo = \"set-frequency\"\nhz = 433920000\n"
                              "[[step]]\ndo = \"check-version\"\nequals = \"V1.0\"\n"));
  const QString report = dir.filePath("r.jsonl");
  QProcess station;
  station.setProcessChannelMode(QProcess::MergedChannels);
  test::StartCtl(station, {"--report", report, "station", dir.filePath("r.toml")}, sim.SocketPath());
  // The slot's first line: the unit runs, each reply half a second late.
  ASSERT_TRUE(station.waitForReadyRead(10'000));
  ::kill(static_cast<pid_t>(station.processId()), SIGHUP);
  ASSERT_TRUE(station.waitForFinished(15'000));
  EXPECT_EQ(station.exitStatus(), QProcess::NormalExit);
  EXPECT_EQ(station.exitCode(), 130);
  EXPECT_EQ(QJsonDocument::fromJson(test::ReadFile(report)).object()["result"].toString(), "pass");
  EXPECT_TRUE(station.readAllStandardOutput().contains("PASS"));
}

}  // namespace
}  // namespace quorvin
