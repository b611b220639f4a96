// A recording made against the virtual repeater, played back by quorvin-sim --replay, gives the same
// outcome, messages and file; a host that asks something else is told where it departed.

#include <gtest/gtest.h>

#include <QProcess>
#include <QTemporaryDir>

#include "CtlProcess.h"
#include "support/Files.h"
#include "support/SimProcess.h"

namespace quorvin {
namespace {

using test::CtlRun;
using test::RunCtl;

TEST(RecordReplay, AReplayedRecordingReproducesTheRunAndTellsADeparture) {
  QTemporaryDir dir;
  const QString recording = dir.filePath("case.rec");
  CtlRun first;
  {
    test::SimProcess sim;
    ASSERT_TRUE(sim.Ready());
    first =
        RunCtl({"--lang", "en", "--record", recording, "backup", "read", dir.filePath("first.bin")}, sim.SocketPath());
    ASSERT_EQ(first.exitCode, 0) << first.out.toStdString();
  }
  // The support bundle carries that recording (a tar: its first member's data follow a 512-byte header).
  ASSERT_EQ(RunCtl({"record-report", dir.filePath("bundle.tar")}, {}).exitCode, 0);
  const QByteArray tar = test::ReadFile(dir.filePath("bundle.tar"));
  const QByteArray rec = test::ReadFile(recording);
  EXPECT_TRUE(tar.startsWith("last.rec"));
  EXPECT_EQ(tar.mid(512, rec.size()), rec);
  test::SimProcess replay({"--replay", recording});
  ASSERT_TRUE(replay.Ready()) << replay.Output().toStdString();
  const CtlRun again = RunCtl({"--lang", "en", "backup", "read", dir.filePath("again.bin")}, replay.SocketPath());
  EXPECT_EQ(again.exitCode, first.exitCode);
  EXPECT_EQ(again.OutLines(), first.OutLines());
  EXPECT_EQ(test::ReadFile(dir.filePath("again.bin")), test::ReadFile(dir.filePath("first.bin")));

  const CtlRun other = RunCtl({"--lang", "en", "version"}, replay.SocketPath());
  EXPECT_EQ(other.exitCode, 1);
  EXPECT_TRUE(replay.Output().contains("replay: request 2 goes past the end of the recording"))
      << replay.Output().toStdString();
}

// A recording plays back only on the link it was made on: a serial one on the HID socket, or a usb
// one on the serial port, is refused with the reason before anything is served.
TEST(RecordReplay, ARecordingOfAnotherLinkIsRefused) {
  QTemporaryDir dir;
  const QByteArray report(130, '0');
  ASSERT_TRUE(test::WriteFile(dir.filePath("serial.rec"), "quorvin-recording 1\ntool 1\nlink serial\n0 > 55aa\n"));
  ASSERT_TRUE(test::WriteFile(dir.filePath("usb.rec"), "quorvin-recording 1\ntool 1\nlink usb\n0 > " + report + "\n"));
  const struct {
    QStringList args;
    const char* said;
  } cases[] = {
      {{"--replay", dir.filePath("serial.rec"), "--hid-socket", dir.filePath("s.sock")}, "made over serial"},
      {{"--replay", dir.filePath("usb.rec"), "--serial"}, "made over usb"},
  };
  for (const auto& c : cases) {
    QProcess sim;
    sim.setProcessChannelMode(QProcess::MergedChannels);
    sim.start(QStringLiteral(QUORVIN_SIM_BINARY), c.args);
    ASSERT_TRUE(sim.waitForFinished(5000)) << c.said;
    EXPECT_EQ(sim.exitCode(), 2) << c.said;
    const QString said = QString::fromUtf8(sim.readAll());
    EXPECT_TRUE(said.contains(c.said)) << said.toStdString();
    EXPECT_FALSE(said.contains("ready")) << said.toStdString();
  }
}

}  // namespace
}  // namespace quorvin
