// Where a read-back lands: a disk that fills up or a file-size limit part way through, and paths
// that are not files to replace. The earlier file stays byte for byte, nothing is left beside it,
// nothing is sent to the device when the path cannot work, and the file error is told as such.

#include <gtest/gtest.h>
#include <sys/mount.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>

#include "CtlProcess.h"
#include "support/Files.h"
#include "support/SimProcess.h"

namespace quorvin {
namespace {

using test::Pattern;
using test::ReadFile;

const QByteArray kEarlier = Pattern(700, 5);

struct CtlResult {
  int exitCode = -1;
  QString out;
};

// quorvinctl with an optional file-size limit, as `ulimit -f` would set it for an unprivileged user.
CtlResult Ctl(const QStringList& args, const QString& socket, rlim_t fileLimit = RLIM_INFINITY) {
  QProcess p;
  p.setChildProcessModifier([fileLimit] {
    const rlimit limit{fileLimit, fileLimit};
    ::setrlimit(RLIMIT_FSIZE, &limit);
  });
  test::StartCtl(p, QStringList{"--lang", "en"} + args, socket);
  CtlResult run;
  if (!p.waitForFinished(30'000)) return run;
  run.exitCode = p.exitCode();
  run.out = QString::fromUtf8(p.readAllStandardOutput());
  return run;
}

class ReadBackTarget : public testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(test::WriteFile(simDir.filePath("device.bin"), Pattern(54 * 200, 3)));  // 10,800 bytes
    sim = std::make_unique<test::SimProcess>(
        QStringList{"--trace", "--serial", "--backup", simDir.filePath("device.bin")});
    ASSERT_TRUE(sim->Ready());
  }
  // quorvinctl's read-back; the sim's trace is drained after it, or a full pipe would stall the sim.
  CtlResult ReadBack(bool serial, const QString& path, rlim_t fileLimit = RLIM_INFINITY) {
    const CtlResult r = Ctl(Args(serial, path), sim->SocketPath(), fileLimit);
    (void)sim->Output();
    return r;
  }
  QStringList Args(bool serial, const QString& path) const {
    return (serial ? QStringList{"--port", sim->SerialPath()} : QStringList{}) + QStringList{"backup", "read", path};
  }
  void ExpectKept(const QString& path, const CtlResult& r, bool serial, const char* what) const {
    SCOPED_TRACE(testing::Message() << what << (serial ? " over serial" : " over USB"));
    EXPECT_EQ(r.exitCode, 5) << r.out.toStdString();
    const QString fileError = "Cannot write the file " + path + ".";
    EXPECT_TRUE(r.out.startsWith(fileError)) << r.out.toStdString();
    EXPECT_EQ(ReadFile(path), kEarlier);
    EXPECT_EQ(QDir(QFileInfo(path).path()).entryList(QDir::Files | QDir::Hidden | QDir::System).size(), 1);
  }

  QTemporaryDir simDir;
  QTemporaryDir dir;
  std::unique_ptr<test::SimProcess> sim;
};

TEST_F(ReadBackTarget, AFileSizeLimitMidWayKeepsTheEarlierFile) {
  const QString path = dir.filePath("backup.bin");
  for (bool serial : {false, true}) {
    ASSERT_TRUE(test::WriteFile(path, kEarlier));
    ASSERT_EQ(::chmod(QFile::encodeName(path).constData(), 0640), 0);
    ExpectKept(path, ReadBack(serial, path, 4096), serial, "file-size limit");
    struct stat st {};
    ASSERT_EQ(::stat(QFile::encodeName(path).constData(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0640u);
  }
}

// A real full disk, on a small tmpfs, where this test may mount one (root in CI).
TEST_F(ReadBackTarget, AFullDiskKeepsTheEarlierFile) {
  const QByteArray mountPoint = QFile::encodeName(dir.filePath("small"));
  ASSERT_TRUE(QDir().mkpath(dir.filePath("small")));
  if (::mount("tmpfs", mountPoint.constData(), "tmpfs", 0, "size=64k") != 0)
    GTEST_SKIP() << "cannot mount a tmpfs here";
  const QString path = dir.filePath("small/backup.bin");
  for (bool serial : {false, true}) {
    ASSERT_TRUE(test::WriteFile(path, kEarlier));
    // Leave one page free: less than the device's 10,800 bytes.
    ASSERT_TRUE(test::WriteFile(dir.filePath("small/filler"), QByteArray(56 * 1024, 'f')));
    const CtlResult r = ReadBack(serial, path);
    ASSERT_TRUE(QFile::remove(dir.filePath("small/filler")));
    ExpectKept(path, r, serial, "full disk");
  }
  ::umount(mountPoint.constData());
}

// A device node, a FIFO or a socket at the path is refused before the device is asked for
// anything, and left as it was; an empty name and one longer than the system allows likewise.
TEST_F(ReadBackTarget, PathsThatAreNotFilesAreRefusedBeforeAnythingIsSent) {
  const QString fifo = dir.filePath("fifo.bin");
  ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
  const QString device = dir.filePath("null.bin");
  ASSERT_TRUE(QFile::link(QStringLiteral("/dev/null"), device));
  const QString tooLong = dir.filePath(QString(300, QLatin1Char('n')));
  for (bool serial : {false, true}) {
    for (const QString& path : {fifo, device, sim->SocketPath(), QString(), tooLong}) {
      const CtlResult r = ReadBack(serial, path);
      SCOPED_TRACE(path.toStdString());
      EXPECT_EQ(r.exitCode, 5) << r.out.toStdString();
      EXPECT_EQ(r.out.count('\n'), 1) << r.out.toStdString();
    }
  }
  EXPECT_FALSE(sim->Output().contains("host>")) << sim->Output().toStdString();
  struct stat st {};
  EXPECT_TRUE(::stat(QFile::encodeName(fifo).constData(), &st) == 0 && S_ISFIFO(st.st_mode));
  EXPECT_TRUE(QFileInfo(device).isSymLink());
  EXPECT_TRUE(::stat("/dev/null", &st) == 0 && S_ISCHR(st.st_mode));
}

// A file replaced as root keeps the owner, group and mode it had.
TEST_F(ReadBackTarget, AReplacedFileKeepsItsOwnerAndMode) {
  if (::geteuid() != 0) GTEST_SKIP() << "needs root to give a file to another user";
  const QString path = dir.filePath("theirs.bin");
  for (bool serial : {false, true}) {
    ASSERT_TRUE(test::WriteFile(path, kEarlier));
    const QByteArray native = QFile::encodeName(path);
    ASSERT_EQ(::chown(native.constData(), 65534, 65534), 0);
    ASSERT_EQ(::chmod(native.constData(), 0604), 0);
    const CtlResult r = ReadBack(serial, path);
    EXPECT_EQ(r.exitCode, 0) << r.out.toStdString();
    struct stat st {};
    ASSERT_EQ(::stat(native.constData(), &st), 0);
    EXPECT_EQ(st.st_uid, 65534u);
    EXPECT_EQ(st.st_gid, 65534u);
    EXPECT_EQ(st.st_mode & 07777, 0604u);
    EXPECT_EQ(ReadFile(path), Pattern(54 * 200, 3));
  }
}

}  // namespace
}  // namespace quorvin
