// The window's four serial operations, check box 1008 cleared, against quorvin-sim --serial
// running as its own process.

#include <QCheckBox>
#include <QFile>
#include <QProcess>
#include <QPushButton>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QtTest>

#include "app/Controls.h"
#include "app/LinkPanel.h"
#include "app/MainWindow.h"
#include "app/ProgressPanel.h"
#include "gui/GuiSupport.h"
#include "host/Clock.h"
#include "support/Languages.h"

using namespace quorvin;
using namespace quorvin::test;

class SerialSimTest : public QObject {
  Q_OBJECT
 private slots:
  void init();
  void cleanup();
  void AllFourButtonsOverTheSerialLink();
  void DeviceFaultsShowTheirMessages();

 private:
  // Starts the sim with extra arguments; answers the pseudo-terminal path it printed.
  QString StartSim(const QStringList& args = {});
  void Click(MainWindow& dlg, int id, const QString& chosen);
  static bool WaitIdle(MainWindow& dlg) {
    return QTest::qWaitFor([&] { return dlg.Idle(); }, 15000);
  }

  QProcess m_sim;
  QTemporaryDir m_dir;
  EmptyHid m_hid;
  RealClock m_clock;
  QStringList m_asked;
};

void SerialSimTest::init() {
  ResetSettings();
  m_asked.clear();
}

void SerialSimTest::cleanup() {
  m_sim.terminate();
  if (!m_sim.waitForFinished(5000)) m_sim.kill();
  m_sim.waitForFinished(5000);
}

QString SerialSimTest::StartSim(const QStringList& args) {
  m_sim.setProgram(QStringLiteral(QUORVIN_SIM_BINARY));
  m_sim.setArguments(QStringList{QStringLiteral("--serial")} + args);
  m_sim.start();
  QString out;
  (void)QTest::qWaitFor(
      [&] {
        out += QString::fromLocal8Bit(m_sim.readAllStandardOutput());
        return out.contains(QLatin1String("quorvin-sim ready"));
      },
      10000);
  const auto m = QRegularExpression(QStringLiteral("serial (/dev/\\S+?)[ ;]")).match(out);
  return m.hasMatch() ? m.captured(1) : QString();
}

void SerialSimTest::Click(MainWindow& dlg, int id, const QString& chosen) {
  dlg.SetFileChooser(std::make_unique<FakeChooser>(chosen, &m_asked));
  qobject_cast<QPushButton*>(dlg.Control(id))->click();
  QVERIFY(WaitIdle(dlg));
}

static WindowOptions English() {
  WindowOptions o;
  o.language = TestLanguage(true);
  o.startTimers = false;
  return o;
}

static void WriteFile(const QString& path, const QByteArray& bytes) {
  QFile f(path);
  QVERIFY(f.open(QIODevice::WriteOnly));
  f.write(bytes);
}

static QByteArray ReadFile(const QString& path) {
  QFile f(path);
  return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void SerialSimTest::AllFourButtonsOverTheSerialLink() {
  const QString port = StartSim();
  QVERIFY2(!port.isEmpty(), "the sim printed no serial path");
  MainWindow dlg(m_hid, m_clock, English());
  BoxAnswerer boxes;
  dlg.SetAsker(std::make_unique<FakeAsker>(Consent::Go, &m_asked));
  dlg.LinkChoice()->SetSerial(true);
  dlg.LinkChoice()->SetPorts({port});

  const QString firmware = m_dir.filePath("firmware.bin");
  WriteFile(firmware, QByteArray(300, '\x42'));
  Click(dlg, ctl::Upgrade, firmware);
  Click(dlg, ctl::ReadVersion, {});
  QByteArray backup;
  for (int i = 0; i < 520; ++i) backup.append(static_cast<char>(i * 5));
  const QString backupIn = m_dir.filePath("backup.bin");
  WriteFile(backupIn, backup);
  Click(dlg, ctl::BackupDownload, backupIn);
  const QString backupOut = m_dir.filePath("upload.bin");
  Click(dlg, ctl::BackupReadBack, backupOut);

  QCOMPARE(boxes.texts, (QStringList{"Receive successful !", "Version :V1.0", "Receive successful !",
                                     "Read backup data successful !"}));
  QCOMPARE(ReadFile(backupOut), backup);
  QVERIFY(!dlg.Progress()->isVisible());
  QCOMPARE(m_hid.enumerations.load(), 0);
}

void SerialSimTest::DeviceFaultsShowTheirMessages() {
  const QString port = StartSim({"--refuse", "1", "--quiet-status", "1", "--stop-readback", "1"});
  QVERIFY(!port.isEmpty());
  MainWindow dlg(m_hid, m_clock, English());
  BoxAnswerer boxes;
  dlg.SetAsker(std::make_unique<FakeAsker>(Consent::Go, &m_asked));
  dlg.LinkChoice()->SetSerial(true);
  dlg.LinkChoice()->SetPorts({port});
  const QString firmware = m_dir.filePath("small.bin");
  WriteFile(firmware, QByteArray(20, '\x01'));
  Click(dlg, ctl::Upgrade, firmware);  // refused
  Click(dlg, ctl::Upgrade, firmware);  // answered 0x66: said as such, and nothing left open
  QVERIFY(!dlg.Progress()->isVisible());
  const QString out = m_dir.filePath("kept.bin");
  WriteFile(out, "earlier");
  Click(dlg, ctl::BackupReadBack, out);  // stops after one of three packets
  QCOMPARE(boxes.texts, (QStringList{"Return error data !",
                                     "The repeater ended the transfer without saying whether it took the data.",
                                     "Return error data !"}));
  QCOMPARE(ReadFile(out), QByteArray("earlier"));
  QVERIFY(!dlg.Progress()->isVisible());
}

QTEST_MAIN(SerialSimTest)
#include "tst_serial_sim.moc"
