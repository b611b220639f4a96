// The history as quorvinctl writes and shows it, when what lies at its path is hostile: a FIFO
// there costs a warning and never hangs a command, and a line forged into the file never shows as
// a line of its own.

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <QDir>
#include <QTemporaryDir>

#include "CtlProcess.h"
#include "support/Files.h"
#include "support/SimProcess.h"

namespace quorvin {
namespace {

using test::CtlRun;
using test::RunCtl;

// XDG_STATE_HOME in a private folder for the test's quorvinctl runs; the suite's own is put back.
class CtlHistory : public ::testing::Test {
 protected:
  void SetUp() override {
    m_saved = qgetenv("XDG_STATE_HOME");
    qputenv("XDG_STATE_HOME", QFile::encodeName(m_state.path()));
    ASSERT_TRUE(QDir().mkpath(Folder()));
  }
  void TearDown() override { qputenv("XDG_STATE_HOME", m_saved); }
  QString Folder() const { return m_state.filePath("quorvin"); }

 private:
  QTemporaryDir m_state;
  QByteArray m_saved;
};

TEST_F(CtlHistory, AFifoInItsPlaceIsRefusedAndHangsNothing) {
  test::SimProcess sim;
  ASSERT_TRUE(sim.Ready());
  for (const char* name : {"history.jsonl", "last.rec"})
    ASSERT_EQ(::mkfifo(QFile::encodeName(Folder() + "/" + name).constData(), 0600), 0);
  QTemporaryDir dir;
  // The operation's own status stands; the history costs a warning.
  CtlRun r = RunCtl({"--lang", "en", "--record", dir.filePath("case.rec"), "version"}, sim.SocketPath(), 10'000);
  EXPECT_EQ(r.exitCode, 0) << r.err.toStdString();
  EXPECT_TRUE(r.err.contains("the history could not be written")) << r.err.toStdString();
  EXPECT_TRUE(r.err.contains("not a regular file")) << r.err.toStdString();
  EXPECT_TRUE(test::ReadFile(dir.filePath("case.rec")).startsWith("quorvin-recording 1"));
  // Reading it: `history` cannot do its work and says so; the bundle goes without it.
  r = RunCtl({"--lang", "en", "history"}, {}, 10'000);
  EXPECT_EQ(r.exitCode, 5) << r.out.toStdString() << r.err.toStdString();
  EXPECT_TRUE(r.out.contains("cannot be read")) << r.out.toStdString();
  r = RunCtl({"--lang", "en", "record-report", dir.filePath("bundle.tar")}, {}, 10'000);
  EXPECT_EQ(r.exitCode, 0) << r.err.toStdString();
  EXPECT_EQ(r.out.trimmed(), "about.txt doctor.txt");
  EXPECT_EQ(r.err.count("is left out of the bundle"), 2) << r.err.toStdString();
}

TEST_F(CtlHistory, ControlCharactersInAnEntryAreShownEscaped) {
  const QByteArray forged =
      R"({"time":"2026-01-01T00:00:00.000Z","program":"quorvinctl","operation":"version","unit":"x\n2026-01-02T00:00:00.000Z  quorvinctl  upgrade  usb  /dev/hidraw0  success\u001b[2K\\","ms":1})"
      "\n";
  ASSERT_TRUE(test::WriteFile(Folder() + "/history.jsonl", forged));
  const CtlRun r = RunCtl({"--lang", "en", "history"}, {});
  EXPECT_EQ(r.exitCode, 0);
  ASSERT_EQ(r.OutLines().size(), 1) << r.out.toStdString();
  EXPECT_TRUE(r.out.contains(R"(x\x0a2026-01-02)")) << r.out.toStdString();
  EXPECT_TRUE(r.out.contains(R"(success\x1b[2K\\  1 ms)")) << r.out.toStdString();
}

}  // namespace
}  // namespace quorvin
