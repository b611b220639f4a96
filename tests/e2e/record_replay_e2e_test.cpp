// A recording made against the virtual repeater, played back by quorvin-sim --replay, gives the same
// outcome, messages and file; a host that asks something else is told where it departed.

#include <gtest/gtest.h>

#include <QTemporaryDir>

#include "CtlProcess.h"
#include "SimProcess.h"

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

}  // namespace
}  // namespace quorvin
