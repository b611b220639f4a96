// Files that go away or turn out unusable while an operation runs: chosen, then deleted, then
// the transfer starts; a folder removed while the backup streams in; a folder where a file should
// be. Each ends with its own message and nothing half-written.

#include <sys/stat.h>
#include <unistd.h>

#include <QDir>
#include <QUuid>

#include "host/DeviceLock.h"
#include "ops/Operations.h"
#include "ops_fixture.h"
#include "support/ScriptedSerial.h"

namespace quorvin::test {
namespace {

Report ReadBackPacket(int count, int number, const QByteArray& data) {
  std::vector<std::uint8_t> p{static_cast<std::uint8_t>(count >> 8), static_cast<std::uint8_t>(count),
                              static_cast<std::uint8_t>(number >> 8), static_cast<std::uint8_t>(number)};
  for (char c : data) p.push_back(static_cast<std::uint8_t>(c));
  return MakeReport(kDirReply, cmd::BackupReadBack, p);
}

class VanishingFiles : public OpsTest {};

// The image is read once, before the first packet: a file deleted or rewritten while the transfer
// runs changes nothing about what the device gets.
TEST_F(VanishingFiles, AnImageDeletedMidTransferIsSentAsItWasRead) {
  const QString path = PathOf("fw.bin");
  const QByteArray image = Pattern(52 * 3);
  ASSERT_TRUE(WriteFile(path, image));
  QByteArray sent;
  hid.responder = [&](const Report& r) {
    QFile::remove(path);
    sent.append(reinterpret_cast<const char*>(r.data() + 10), r[5] - 4);
    if (r[8] == 0 && r[9] == 3) hid.QueueFrame(kDirReply, r[4], {status::Accepted}, 10);
  };
  UsbChannel env = Env();
  EXPECT_TRUE(Upgrade(env, path).Ok());
  EXPECT_EQ(sent, image);
}

// The folder of the chosen file is removed after the request went out: everything arrives, the
// file cannot be put in place, and the technician is told so instead of being told it worked.
TEST_F(VanishingFiles, ReadBackIntoAFolderRemovedWhileTheDataStreamIn) {
  const QString folder = PathOf("bench");
  ASSERT_TRUE(QDir().mkpath(folder));
  const QString path = folder + "/upload.bin";
  hid.responder = [&](const Report&) {
    ASSERT_TRUE(QDir(folder).removeRecursively());
    for (int k = 1; k <= 3; ++k) hid.QueueReply(ReadBackPacket(3, k, Pattern(54)), k);
  };
  UsbChannel env = Env();
  const OpResult r = ReadBackup(env, path);
  EXPECT_EQ(r.outcome, Outcome::FileError);
  EXPECT_EQ(r.bytes, 3 * 54);
  ASSERT_EQ(fb.Boxes().size(), 2) << Joined(fb.log);
  EXPECT_TRUE(fb.Boxes()[0].startsWith("box: Cannot write the file " + path + ".\n")) << Joined(fb.log);
  EXPECT_EQ(fb.Boxes()[1], "box: Read backup data failed !");
  EXPECT_LT(fb.log.lastIndexOf("progress: close"), fb.log.indexOf(fb.Boxes()[0]));  // the window is gone first
  EXPECT_FALSE(QFileInfo::exists(folder));
}

// A folder, or a path under a file, is no place for a backup: found before the device is asked.
TEST_F(VanishingFiles, ReadBackTargetsThatCannotBeFiles) {
  ASSERT_TRUE(WriteFile(PathOf("plain"), "x"));
  ASSERT_TRUE(QDir().mkpath(PathOf("folder")));
  for (const QString& target : {PathOf("folder"), PathOf("plain") + "/upload.bin"}) {
    fb.log.clear();
    UsbChannel env = Env();
    EXPECT_EQ(ReadBackup(env, target).outcome, Outcome::FileError);
    ASSERT_EQ(fb.log.size(), 1) << Joined(fb.log);
    EXPECT_TRUE(fb.log[0].startsWith("box: Cannot write the file " + target + ".\n")) << Joined(fb.log);
    EXPECT_TRUE(hid.written.empty());
  }
  EXPECT_TRUE(QFileInfo(PathOf("folder")).isDir());
  EXPECT_EQ(ReadFile(PathOf("plain")), "x");
}

// A named pipe nobody writes to reads as an empty file: the upgrade refuses it as an empty image
// on each link, at once, where a plain open would wait for a writer for ever.
TEST_F(VanishingFiles, ANamedPipeWithoutAWriterIsAnEmptyImageNotAHang) {
  const QString fifo = PathOf("fw.bin");
  ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
  UsbChannel env = Env();
  const qint64 start = clock.NowMs();
  EXPECT_EQ(Upgrade(env, fifo).outcome, Outcome::FileError);
  EXPECT_TRUE(hid.written.empty());
  EXPECT_EQ(clock.NowMs() - start, 0);
  EXPECT_EQ(fb.Boxes(), QStringList{"box: The file is empty !"});

  ScriptedSerial port(clock);
  RecordingFeedback serialFb;
  SerialChannel serial{
      port, {QStringLiteral("/dev/ttyX"), QStringLiteral("9600")}, serialFb, clock, test::TestLanguage(true)};
  EXPECT_EQ(Upgrade(serial, fifo).outcome, Outcome::FileError);
  EXPECT_EQ(serialFb.Boxes(), QStringList{"box: The file is empty !"});
  EXPECT_TRUE(port.written.isEmpty());
}

// What a shell's `<(command)` hands over: a pipe with its data already written. Both links send it
// whole, though a pipe has no size to check beforehand.
TEST_F(VanishingFiles, APipeWithItsDataIsSentWholeOnBothLinks) {
  const QByteArray image = Pattern(300);
  auto pipePath = [&](int fds[2]) {
    EXPECT_EQ(::pipe(fds), 0);
    EXPECT_EQ(::write(fds[1], image.constData(), static_cast<std::size_t>(image.size())), image.size());
    ::close(fds[1]);
    return QStringLiteral("/proc/self/fd/%1").arg(fds[0]);
  };
  int usbPipe[2];
  QByteArray sent;
  hid.responder = [&](const Report& r) {
    sent.append(reinterpret_cast<const char*>(r.data() + 10), r[5] - 4);
    if (r[6] == r[8] && r[7] == r[9]) hid.QueueFrame(kDirReply, r[4], {status::Accepted}, 10);
  };
  UsbChannel env = Env();
  EXPECT_TRUE(DownloadBackup(env, pipePath(usbPipe)).Ok()) << Joined(fb.log);
  EXPECT_EQ(sent, image);
  ::close(usbPipe[0]);

  int serialPipe[2];
  ScriptedSerial port(clock);
  RecordingFeedback serialFb;
  SerialChannel serial{
      port, {QStringLiteral("/dev/ttyX"), QStringLiteral("9600")}, serialFb, clock, test::TestLanguage(true)};
  port.responder = [&](const QByteArray& frame) {
    if (frame[6] == frame[8] && frame[5] == frame[7])  // the packet numbered as the count
      port.QueueBytes(QByteArray("\x55\xAA\x02\xC4\x01\x5A\xDE", 7), 10);
  };
  const OpResult r = DownloadBackup(serial, pipePath(serialPipe));
  EXPECT_TRUE(r.Ok()) << Joined(serialFb.log);
  EXPECT_EQ(r.bytes, image.size());
  ::close(serialPipe[0]);
}

// The serial read-back writes aside as the packets come; its folder going away mid-read is a
// file error with the path, and the port is closed behind it.
TEST(VanishingFilesSerial, ReadBackIntoAFolderRemovedMidRead) {
  VirtualClock clock(1000);
  ScriptedSerial port(clock);
  RecordingFeedback fb;
  SerialChannel env{port, {QStringLiteral("/dev/ttyX"), QStringLiteral("9600")}, fb, clock, test::TestLanguage(true)};
  QTemporaryDir dir;
  const QString folder = dir.filePath("bench");
  ASSERT_TRUE(QDir().mkpath(folder));
  const QString path = folder + "/upload.bin";
  port.responder = [&](const QByteArray&) {
    ASSERT_TRUE(QDir(folder).removeRecursively());
    for (int k = 1; k <= 2; ++k) {
      QByteArray f("\x55\xAA\x02\xC5", 4);
      const QByteArray payload = QByteArray("\x00\x02\x00", 3) + char(k) + QByteArray(128, 'd');
      f.append(static_cast<char>(payload.size())).append(payload);
      f.append(static_cast<char>(ComputeChecksum(reinterpret_cast<const std::uint8_t*>(f.constData()) + 2,
                                                 static_cast<std::size_t>(f.size() - 2))));
      port.QueueBytes(f, 20);
    }
  };
  const OpResult r = ReadBackup(env, path);
  EXPECT_EQ(r.outcome, Outcome::FileError);
  ASSERT_EQ(fb.Boxes().size(), 1);
  EXPECT_TRUE(fb.Boxes()[0].startsWith("box: Cannot write the file " + path + ".\n")) << Joined(fb.log);
  EXPECT_FALSE(port.IsOpen());
  EXPECT_FALSE(QFileInfo::exists(folder));
}

// A FIFO (or anything but a regular file) at a lock's place is never taken for the lock: nothing
// could be locked on it, and opening it could hang.
TEST(DeviceLockFiles, NothingButARegularFileIsTakenForALock) {
  const QString name = "socket /tmp/" + QUuid::createUuid().toString(QUuid::Id128) + " sim:1";
  const QByteArray path = QFile::encodeName(DeviceLock::LockPath(name));
  ASSERT_EQ(::mkfifo(path.constData(), 0600), 0);
  DeviceLock lock;
  qint64 holder = 0;
  QString detail;
  EXPECT_EQ(lock.TryAcquire(name, holder, detail), LockResult::Failed);
  EXPECT_TRUE(detail.contains("not a regular file")) << detail.toStdString();
  ::unlink(path.constData());
}

}  // namespace
}  // namespace quorvin::test
