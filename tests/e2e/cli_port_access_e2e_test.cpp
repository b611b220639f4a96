// A serial port quorvinctl may not have: held by another program, or closed to this user. Each has
// its own exit status, so a production script can tell "close the other program" from "fix the
// permissions" from "plug the adapter in".

#include <gtest/gtest.h>
#include <unistd.h>

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSerialPort>

#include "CtlProcess.h"
#include "support/SimProcess.h"

namespace quorvin {
namespace {

using test::CtlRun;
using test::RunCtl;
using test::SimProcess;

CtlRun Version(const QString& port) { return RunCtl({"--lang", "en", "--json", "--port", port, "version"}, {}); }

TEST(CtlPortAccess, PortHeldByAnotherProgramIsBusy) {
  SimProcess sim({"--serial"});
  ASSERT_TRUE(sim.Ready());
  {
    // Held the way any other Qt serial program (another quorvinctl among them) holds it.
    QSerialPort other(sim.SerialPath());
    ASSERT_TRUE(other.open(QIODevice::ReadWrite)) << other.errorString().toStdString();
    const CtlRun r = Version(sim.SerialPath());
    EXPECT_EQ(r.exitCode, 7) << r.out.toStdString();
    const QJsonObject o = QJsonDocument::fromJson(r.out.toUtf8()).object();
    EXPECT_EQ(o["exitCode"].toInt(), 7);
    EXPECT_EQ(o["code"].toString(), "busy");
    // The holder is named: this test process, not the simulator at the other end of the line.
    EXPECT_TRUE(r.out.contains(QStringLiteral("(pid %1)").arg(::getpid()))) << r.out.toStdString();
    // The last word sends the technician on to the checks that find out why.
    EXPECT_TRUE(o["messages"].toArray().last().toString().endsWith("run `quorvinctl doctor`")) << r.out.toStdString();
  }
  const CtlRun freed = Version(sim.SerialPath());
  EXPECT_EQ(freed.exitCode, 0) << freed.out.toStdString();
}

TEST(CtlPortAccess, PortThisUserMayNotOpenIsPermissionDenied) {
  SimProcess sim({"--serial"});
  ASSERT_TRUE(sim.Ready());
  QProcess ctl;
  if (::geteuid() == 0) {
    // Root opens anything: quorvinctl runs as nobody, to whom the simulator's terminal is closed.
    ctl.setChildProcessModifier([] {
      if (::setgid(65534) != 0 || ::setuid(65534) != 0) ::_exit(125);
    });
  } else {
    ASSERT_TRUE(QFile::setPermissions(sim.SerialPath(), QFileDevice::Permissions()));
  }
  test::StartCtl(ctl, {"--lang", "en", "--port", sim.SerialPath(), "version"}, {});
  const bool ended = ctl.waitForFinished(30'000);
  if (ctl.error() == QProcess::FailedToStart || ctl.exitCode() == 125)
    GTEST_SKIP() << "quorvinctl cannot run as another user here";
  ASSERT_TRUE(ended);
  EXPECT_EQ(ctl.exitCode(), 4) << ctl.readAllStandardOutput().toStdString();

  // The same for the virtual USB device: a socket this user may not connect to is a permission
  // problem, not a device that is absent.
  if (::geteuid() != 0) {
    ASSERT_TRUE(QFile::setPermissions(sim.SocketPath(), QFileDevice::Permissions()));
  }
  test::StartCtl(ctl, {"--lang", "en", "version"}, sim.SocketPath());
  ASSERT_TRUE(ctl.waitForFinished(30'000));
  EXPECT_EQ(ctl.exitCode(), 4) << ctl.readAllStandardOutput().toStdString();
}

}  // namespace
}  // namespace quorvin
