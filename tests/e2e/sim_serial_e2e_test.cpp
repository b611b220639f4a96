// The serial operations against a separately started quorvin-sim on its pseudo-terminal.

#include "SimProcess.h"

#include "link/SerialPort.h"
#include "ops/SerialOps.h"
#include "support/RecordingFeedback.h"

#include <QFile>
#include <QRegularExpression>
#include <QThread>
#include <QTemporaryDir>
#include <functional>
#include <gtest/gtest.h>

namespace quorvin {
namespace {

// The path the sim printed on its ready line.
QString SerialPath(test::SimProcess& sim) {
  const auto m = QRegularExpression(QStringLiteral("serial (/\\S+)")).match(sim.Output());
  return m.hasMatch() ? m.captured(1).remove(QRegularExpression(QStringLiteral("[;)]$"))) : QString();
}

// One operation on a Qt thread, as the window runs it.
OpResult OnWorker(SerialEnv& env, const std::function<OpResult(SerialEnv&)>& op) {
  OpResult result;
  QThread* t = QThread::create([&] { result = op(env); });
  t->start();
  t->wait();
  delete t;
  return result;
}

class SimSerial : public ::testing::Test {
 protected:
  void Start(const QStringList& args = {}) {
    sim = std::make_unique<test::SimProcess>(QStringList{QStringLiteral("--serial")} + args);
    ASSERT_TRUE(sim->Ready()) << sim->Output().toStdString();
    choice = {SerialPath(*sim), QStringLiteral("115200")};
    ASSERT_TRUE(choice.portItem.startsWith(QLatin1String("/dev/"))) << sim->Output().toStdString();
  }
  QString File(const QString& name, const QByteArray& bytes) {
    const QString path = dir.filePath(name);
    QFile f(path);
    EXPECT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(bytes);
    return path;
  }
  static QByteArray Read(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
  }

  std::unique_ptr<test::SimProcess> sim;
  SerialChoice choice;
  QTemporaryDir dir;
  CSerialPort port;
  test::RecordingFeedback fb;
  RealClock clock;
  SerialEnv env{port, fb, clock, true};
};

TEST_F(SimSerial, AllFourOperationsAndABackupRoundTrip) {
  Start();
  QByteArray image;
  for (int i = 0; i < 300; ++i) image.append(static_cast<char>(i * 13));
  const QString firmware = File("fw.bin", image);
  EXPECT_EQ(OnWorker(env, [&](SerialEnv& e) { return FirmwareUpgradeSerial(e, choice, firmware); }).outcome, Outcome::Success);

  const OpResult version = OnWorker(env, [&](SerialEnv& e) { return ReadVersionSerial(e, choice); });
  EXPECT_EQ(version.version, "V1.0");

  QByteArray backup;
  for (int i = 0; i < 700; ++i) backup.append(static_cast<char>(i * 7 + 1));
  const QString backupIn = File("backup.bin", backup);
  EXPECT_EQ(OnWorker(env, [&](SerialEnv& e) { return BackupDownloadSerial(e, choice, backupIn); }).outcome, Outcome::Success);
  const QString backupOut = dir.filePath("upload.bin");
  EXPECT_EQ(OnWorker(env, [&](SerialEnv& e) { return BackupReadBackSerial(e, choice, backupOut); }).outcome, Outcome::Success);
  EXPECT_EQ(Read(backupOut), backup);
  EXPECT_EQ(fb.Boxes(), QStringList({"box: Receive successful !", "box: Version :V1.0", "box: Receive successful !",
                                     "box: Read backup data successful !"}));
  EXPECT_TRUE(sim->Output().contains("serial"));
}

TEST_F(SimSerial, FaultFlagsReachTheTool) {
  Start({"--quiet-status", "1", "--refuse", "0", "--stop-readback", "2", "--trace"});
  const QString small = File("small.bin", QByteArray(10, 'x'));
  EXPECT_EQ(OnWorker(env, [&](SerialEnv& e) { return BackupDownloadSerial(e, choice, small); }).outcome, Outcome::QuietEnd);
  EXPECT_TRUE(fb.Boxes().isEmpty());
  // The default backup is 300 bytes, three packets; the device stops after two.
  const QString out = File("upload.bin", "earlier");
  EXPECT_EQ(OnWorker(env, [&](SerialEnv& e) { return BackupReadBackSerial(e, choice, out); }).outcome, Outcome::Failed);
  EXPECT_EQ(fb.Boxes(), QStringList({"box: Return error data !"}));
  EXPECT_EQ(Read(out), "earlier");
  EXPECT_TRUE(sim->Output().contains("answered 0x66 on purpose"));
}

TEST_F(SimSerial, SilenceAndBadChecksumsFailTheVersionRead) {
  Start({"--drop-replies", "1", "--corrupt-checksums", "1"});
  EXPECT_EQ(OnWorker(env, [&](SerialEnv& e) { return ReadVersionSerial(e, choice); }).outcome, Outcome::Failed);
  EXPECT_EQ(OnWorker(env, [&](SerialEnv& e) { return ReadVersionSerial(e, choice); }).outcome, Outcome::Failed);
  EXPECT_EQ(OnWorker(env, [&](SerialEnv& e) { return ReadVersionSerial(e, choice); }).outcome, Outcome::Success);
  EXPECT_EQ(fb.Boxes(), QStringList({"box: Reading version failed !", "box: Reading version failed !",
                                     "box: Version :V1.0"}));
}

}  // namespace
}  // namespace quorvin
