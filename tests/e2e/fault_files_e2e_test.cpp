// Files a technician or a script may hand quorvinctl that cannot be used: folders, paths under a
// plain file, files deleted after they were chosen, images too large for the link, empty images,
// and edge sizes that are fine. Each gets its outcome, exit status and message, over USB and over
// the serial link, and a refused file never reaches the device.

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include "CtlProcess.h"
#include "support/Files.h"
#include "support/SimProcess.h"

namespace quorvin {
namespace {

using test::CtlRun;
using test::RunCtl;
using test::SimProcess;

using test::ReadFile;
using test::WriteFile;

QByteArray Pattern(int n) { return test::Pattern(n, 1); }

bool SizedFile(const QString& path, qint64 size) {
  QFile f(path);
  return f.open(QIODevice::WriteOnly) && f.resize(size);
}

struct Sides {
  QString usbSocket;
  QString serialPort;
  CtlRun Usb(const QStringList& args) const { return RunCtl(QStringList{"--lang", "en"} + args, usbSocket); }
  CtlRun Serial(const QStringList& args) const {
    return RunCtl(QStringList{"--lang", "en", "--port", serialPort} + args, {});
  }
};

void ExpectRefused(const CtlRun& r, const QString& firstLine, bool withReason, const char* what) {
  SCOPED_TRACE(what);
  EXPECT_EQ(r.exitCode, 5) << r.out.toStdString() << r.err.toStdString();
  const QStringList lines = r.OutLines();
  // One message, one line: the system's own words, where the tool has them, follow on the same line.
  ASSERT_EQ(lines.size(), 1) << r.out.toStdString();
  if (withReason) {
    EXPECT_TRUE(lines[0].startsWith(firstLine + QLatin1Char(' '))) << r.out.toStdString();
    EXPECT_GT(lines[0].size(), firstLine.size() + 1);
  } else {
    EXPECT_EQ(lines[0], firstLine);
  }
}

TEST(BadFilesE2e, UnusableFilesAreRefusedWithTheirMessageAndNothingIsSent) {
  QTemporaryDir dir;
  SimProcess sim({"--trace", "--serial"});
  ASSERT_TRUE(sim.Ready());
  const Sides ctl{sim.SocketPath(), sim.SerialPath()};
  ASSERT_TRUE(WriteFile(dir.filePath("plain"), "x"));
  ASSERT_TRUE(QDir().mkpath(dir.filePath("folder")));
  ASSERT_TRUE(WriteFile(dir.filePath("gone.bin"), Pattern(100)));  // chosen, then deleted before sending
  ASSERT_TRUE(QFile::remove(dir.filePath("gone.bin")));

  const QString unopenable[] = {dir.filePath("folder"), dir.filePath("plain/fw.bin"), dir.filePath("gone.bin")};
  for (const char* op : {"upgrade", "download"}) {
    const QStringList command =
        QString::fromLatin1(op) == "upgrade" ? QStringList{"upgrade"} : QStringList{"backup", "download"};
    for (const QString& path : unopenable) {
      ExpectRefused(ctl.Usb(command + QStringList{path}), "Cannot open the file " + path + ".", true, op);
      ExpectRefused(ctl.Serial(command + QStringList{path}), "Cannot open the file " + path + ".", true, op);
    }
  }
  const QString unwritable[] = {dir.filePath("folder"), dir.filePath("plain/upload.bin"),
                                dir.filePath("gone/upload.bin")};
  for (const QString& path : unwritable) {
    ExpectRefused(ctl.Usb({"backup", "read", path}), "Cannot write the file " + path + ".", true, "read");
    // A folder is not a file to replace, and is told so on both links.
    ExpectRefused(ctl.Serial({"backup", "read", path}), "Cannot write the file " + path + ".", true, "read");
  }
  EXPECT_TRUE(QFileInfo(dir.filePath("folder")).isDir());
  EXPECT_EQ(ReadFile(dir.filePath("plain")), "x");

  // One byte past what each link carries; the serial link is told an empty image too.
  const QString usbBig = dir.filePath("usb-big.bin");
  const QString serialBig = dir.filePath("serial-big.bin");
  ASSERT_TRUE(SizedFile(usbBig, 3'000'001));
  ASSERT_TRUE(SizedFile(serialBig, 8'388'481));
  ASSERT_TRUE(WriteFile(dir.filePath("empty.bin"), {}));
  ExpectRefused(ctl.Usb({"upgrade", usbBig}),
                "The file " + usbBig + " is too large: at most 3000000 bytes can be sent.", false, "usb big");
  ExpectRefused(ctl.Usb({"backup", "download", usbBig}),
                "The file " + usbBig + " is too large: at most 3000000 bytes can be sent.", false, "usb big");
  ExpectRefused(ctl.Serial({"upgrade", serialBig}),
                "The file " + serialBig + " is too large: at most 8388480 bytes can be sent.", false, "serial big");
  ExpectRefused(ctl.Serial({"backup", "download", dir.filePath("empty.bin")}), "The file is empty !", false,
                "serial empty");
  // A named pipe nobody writes to: read as empty at once rather than waited on for ever.
  ASSERT_EQ(::mkfifo(QFile::encodeName(dir.filePath("pipe.bin")).constData(), 0600), 0);
  ExpectRefused(ctl.Serial({"upgrade", dir.filePath("pipe.bin")}), "The file is empty !", false, "named pipe");

  EXPECT_FALSE(sim.Output().contains("host>")) << sim.Output().toStdString();
}

// Sizes that are fine at the edges: one byte, and exact multiples of the packet size, over both
// links; an empty image is refused over USB as over the serial link, before anything is sent.
TEST(BadFilesE2e, EdgeSizesGetTheirDocumentedOutcome) {
  QTemporaryDir dir;
  SimProcess usbA({"--trace"});
  SimProcess usbB({"--trace"});
  SimProcess usbC({"--trace"});
  SimProcess serialSim({"--serial"});
  ASSERT_TRUE(usbA.Ready() && usbB.Ready() && usbC.Ready() && serialSim.Ready());
  ASSERT_TRUE(WriteFile(dir.filePath("empty.bin"), {}));
  ASSERT_TRUE(WriteFile(dir.filePath("one.bin"), "\x7E"));
  const QByteArray usbMultiple = Pattern(54 * 2);
  const QByteArray serialMultiple = Pattern(128 * 2);
  ASSERT_TRUE(WriteFile(dir.filePath("usb-multiple.bin"), usbMultiple));
  ASSERT_TRUE(WriteFile(dir.filePath("serial-multiple.bin"), serialMultiple));

  // The three slow USB transfers run side by side, each against its own device.
  auto start = [&](QProcess& p, const QStringList& args, const SimProcess& sim) {
    test::StartCtl(p, QStringList{"--lang", "en"} + args, sim.SocketPath());
  };
  QProcess empty, one, multiple;
  start(empty, {"upgrade", dir.filePath("empty.bin")}, usbA);
  start(one, {"upgrade", dir.filePath("one.bin")}, usbB);
  start(multiple, {"backup", "download", dir.filePath("usb-multiple.bin")}, usbC);

  const Sides serial{{}, serialSim.SerialPath()};
  CtlRun r = serial.Serial({"upgrade", dir.filePath("one.bin")});
  EXPECT_EQ(r.exitCode, 0) << r.out.toStdString();
  EXPECT_EQ(r.OutLines(), QStringList{"Receive successful !"});
  r = serial.Serial({"backup", "download", dir.filePath("serial-multiple.bin")});
  EXPECT_EQ(r.exitCode, 0) << r.out.toStdString();
  r = serial.Serial({"backup", "read", dir.filePath("serial-back.bin")});
  EXPECT_EQ(r.exitCode, 0) << r.out.toStdString();
  EXPECT_EQ(ReadFile(dir.filePath("serial-back.bin")), serialMultiple);

  for (QProcess* p : {&empty, &one, &multiple}) ASSERT_TRUE(p->waitForFinished(20'000));
  EXPECT_EQ(empty.exitCode(), 5);
  EXPECT_EQ(QString::fromUtf8(empty.readAllStandardOutput()).trimmed(), "The file is empty !");
  EXPECT_FALSE(usbA.Output().contains("host>"));
  EXPECT_EQ(one.exitCode(), 0);
  EXPECT_EQ(QString::fromUtf8(one.readAllStandardOutput()).trimmed(), "Update successfully");
  EXPECT_TRUE(usbB.Output().contains("1 packets, 1 bytes")) << usbB.Output().toStdString();
  EXPECT_EQ(multiple.exitCode(), 0);
  r = RunCtl({"backup", "read", dir.filePath("usb-back.bin")}, usbC.SocketPath());
  EXPECT_EQ(r.exitCode, 0);
  EXPECT_EQ(ReadFile(dir.filePath("usb-back.bin")), usbMultiple);
}

}  // namespace
}  // namespace quorvin
