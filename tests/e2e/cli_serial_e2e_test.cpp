// quorvinctl against quorvin-sim's pseudo-terminal: the serial forms of the operations.

#include <gtest/gtest.h>

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>

#include "CtlProcess.h"
#include "support/Files.h"
#include "support/SimProcess.h"

namespace quorvin {
namespace {

using test::CtlRun;
using test::Pattern;
using test::ReadFile;
using test::RunCtl;
using test::SimProcess;
using test::WriteFile;

QStringList Args(std::initializer_list<QString> list) { return QStringList(list); }

CtlRun Serial(SimProcess& sim, QStringList args) {
  return RunCtl(QStringList{"--lang", "en", "--port", sim.SerialPath()} + args, {});
}

TEST(CtlSerial, VersionUploadsAndReadBack) {
  QTemporaryDir dir;
  SimProcess sim(Args({"--serial", "--version", "V9.1"}));
  ASSERT_TRUE(sim.Ready());
  ASSERT_FALSE(sim.SerialPath().isEmpty()) << sim.Output().toStdString();

  CtlRun r = Serial(sim, {"version"});
  EXPECT_EQ(r.exitCode, 0) << r.out.toStdString();
  EXPECT_EQ(r.OutLines(), QStringList{"Version :V9.1"});

  const QByteArray backup = Pattern(300, 4);  // 128 + 128 + 44
  ASSERT_TRUE(WriteFile(dir.filePath("b.bin"), backup));
  r = Serial(sim, {"--baud", "57600", "backup", "download", dir.filePath("b.bin")});
  EXPECT_EQ(r.exitCode, 0);
  EXPECT_EQ(r.OutLines(), QStringList{"Receive successful !"});
  r = Serial(sim, {"--json", "backup", "read", dir.filePath("r.bin")});
  EXPECT_EQ(r.exitCode, 0) << r.out.toStdString();
  EXPECT_EQ(ReadFile(dir.filePath("r.bin")), backup);
  EXPECT_EQ(QJsonDocument::fromJson(r.out.toUtf8()).object()["result"].toObject()["bytes"].toInt(), 300);

  ASSERT_TRUE(WriteFile(dir.filePath("fw.bin"), Pattern(1000, 8)));
  r = Serial(sim, {"upgrade", dir.filePath("fw.bin")});
  EXPECT_EQ(r.exitCode, 0);
  EXPECT_TRUE(r.err.contains("Update program ,In total 8 data packages, currently 8 data package sending......."));
}

TEST(CtlSerial, DeviceVerdictsAndFailures) {
  QTemporaryDir dir;
  ASSERT_TRUE(WriteFile(dir.filePath("fw.bin"), Pattern(200, 2)));
  {
    SimProcess sim(Args({"--serial", "--refuse", "1", "--quiet-status", "1"}));
    ASSERT_TRUE(sim.Ready());
    CtlRun r = Serial(sim, {"upgrade", dir.filePath("fw.bin")});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_EQ(r.OutLines(), QStringList{"Return error data !"});
    r = Serial(sim, {"--json", "upgrade", dir.filePath("fw.bin")});
    EXPECT_EQ(r.exitCode, 6);  // 0x66: no verdict, no message
    const QJsonObject o = QJsonDocument::fromJson(r.out.toUtf8()).object();
    EXPECT_TRUE(o["messages"].toArray().isEmpty());
    EXPECT_EQ(o["code"].toString(), "quiet-end");
  }
  {
    SimProcess sim(Args({"--serial", "--stop-readback", "1"}));
    ASSERT_TRUE(sim.Ready());
    const QByteArray earlier = Pattern(40, 9);
    ASSERT_TRUE(WriteFile(dir.filePath("keep.bin"), earlier));
    const CtlRun r = Serial(sim, {"backup", "read", dir.filePath("keep.bin")});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_EQ(r.OutLines(), QStringList{"Return error data !"});
    EXPECT_EQ(ReadFile(dir.filePath("keep.bin")), earlier);
  }
  const CtlRun absent = RunCtl({"--lang", "en", "--port", dir.filePath("no-such-port"), "version"}, {});
  EXPECT_EQ(absent.exitCode, 3);
  // The box's two lines (the port, the system's reason) are one line of output; the pointer to
  // quorvinctl doctor follows on its own.
  ASSERT_EQ(absent.OutLines().size(), 2) << absent.out.toStdString();
  EXPECT_TRUE(absent.OutLines()[1].endsWith("run `quorvinctl doctor`")) << absent.out.toStdString();
  EXPECT_TRUE(absent.out.startsWith(QString::fromUtf8("Comm：") + dir.filePath("no-such-port") + " "));
}

}  // namespace
}  // namespace quorvin
