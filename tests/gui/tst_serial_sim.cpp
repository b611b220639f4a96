// The window over a real serial port (a pseudo-terminal), check box 1008 cleared: the port and
// speed chosen are the ones opened, and the four serial operations run against quorvin-sim
// --serial as its own process.

#include <QCheckBox>
#include <QFile>
#include <QPushButton>
#include <QTemporaryDir>
#include <QtTest>

#include "app/Controls.h"
#include "app/LinkPanel.h"
#include "app/MainWindow.h"
#include "app/ProgressPanel.h"
#include "gui/GuiSupport.h"
#include "host/Clock.h"
#include "support/Files.h"
#include "support/Languages.h"
#include "support/PtyDevice.h"
#include "support/SimProcess.h"

using namespace quorvin;
using namespace quorvin::test;

class SerialSimTest : public QObject {
  Q_OBJECT
 private slots:
  void init();
  void TheChosenPortIsOpenedAndUsbLeftAlone();
  void AllFourButtonsOverTheSerialLink();
  void DeviceFaultsShowTheirMessages();

 private:
  void Click(MainWindow& dlg, int id, const QString& chosen);
  static bool WaitIdle(MainWindow& dlg) {
    return QTest::qWaitFor([&] { return dlg.Idle(); }, 15000);
  }

  QTemporaryDir m_dir;
  EmptyHid m_hid;
  RealClock m_clock;
  QStringList m_asked;
};

void SerialSimTest::init() {
  ResetSettings();
  m_asked.clear();
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

// Through the port chosen in the list, and the USB side is never asked.
void SerialSimTest::TheChosenPortIsOpenedAndUsbLeftAlone() {
  PtyDevice device;
  QVERIFY(device.Ok());
  MainWindow dlg(m_hid, m_clock, English());
  BoxAnswerer boxes;
  dlg.LinkChoice()->SetSerial(true);
  dlg.LinkChoice()->SetPorts({device.SlavePath()});
  device.AnswerOnce(6, QByteArray::fromHex("55AA02C204"
                                           "56312E30"
                                           "52"));
  qobject_cast<QPushButton*>(dlg.Control(ctl::ReadVersion))->click();
  QVERIFY(WaitIdle(dlg));
  QVERIFY(device.answered);
  QCOMPARE(device.request, QByteArray::fromHex("55AA01C2003C"));
  QCOMPARE(boxes.texts, QStringList{"Version :V1.0"});
  QCOMPARE(m_hid.enumerations.load(), 0);
}

void SerialSimTest::AllFourButtonsOverTheSerialLink() {
  SimProcess sim(SimProcess::OverSerial{}, {});
  QVERIFY2(sim.Ready(), qPrintable(sim.Output()));
  const QString port = sim.SerialPath();
  MainWindow dlg(m_hid, m_clock, English());
  BoxAnswerer boxes;
  dlg.SetAsker(std::make_unique<FakeAsker>(Consent::Go, &m_asked));
  dlg.LinkChoice()->SetSerial(true);
  dlg.LinkChoice()->SetPorts({port});

  const QString firmware = m_dir.filePath("firmware.bin");
  QVERIFY(WriteFile(firmware, QByteArray(300, '\x42')));
  Click(dlg, ctl::Upgrade, firmware);
  Click(dlg, ctl::ReadVersion, {});
  QByteArray backup;
  for (int i = 0; i < 520; ++i) backup.append(static_cast<char>(i * 5));
  const QString backupIn = m_dir.filePath("backup.bin");
  QVERIFY(WriteFile(backupIn, backup));
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
  SimProcess sim(SimProcess::OverSerial{}, {"--refuse", "1", "--quiet-status", "1", "--stop-readback", "1"});
  QVERIFY2(sim.Ready(), qPrintable(sim.Output()));
  const QString port = sim.SerialPath();
  MainWindow dlg(m_hid, m_clock, English());
  BoxAnswerer boxes;
  dlg.SetAsker(std::make_unique<FakeAsker>(Consent::Go, &m_asked));
  dlg.LinkChoice()->SetSerial(true);
  dlg.LinkChoice()->SetPorts({port});
  const QString firmware = m_dir.filePath("small.bin");
  QVERIFY(WriteFile(firmware, QByteArray(20, '\x01')));
  Click(dlg, ctl::Upgrade, firmware);  // refused
  Click(dlg, ctl::Upgrade, firmware);  // answered 0x66: said as such, and nothing left open
  QVERIFY(!dlg.Progress()->isVisible());
  const QString out = m_dir.filePath("kept.bin");
  QVERIFY(WriteFile(out, "earlier"));
  Click(dlg, ctl::BackupReadBack, out);  // stops after one of three packets
  QCOMPARE(boxes.texts, (QStringList{"Return error data !",
                                     "The repeater ended the transfer without saying whether it took the data.",
                                     "Return error data !"}));
  QCOMPARE(ReadFile(out), QByteArray("earlier"));
  QVERIFY(!dlg.Progress()->isVisible());
}

QTEST_MAIN(SerialSimTest)
#include "tst_serial_sim.moc"
