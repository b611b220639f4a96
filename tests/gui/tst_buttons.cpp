// What each button does before and around its operation, with no device present: which file
// question it asks, what it refuses, that check box 1008 picks the USB or the serial form, that a
// click during an operation does nothing.

#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>
#include <QSettings>
#include <QTemporaryDir>
#include <QThread>
#include <QtTest>

#include "app/MainWindow.h"
#include "app/WindowLayout.h"
#include "gui/GuiSupport.h"
#include "gui/PtyPeer.h"
#include "host/Clock.h"
#include "support/Languages.h"

using namespace quorvin;
using namespace quorvin::test;

namespace {

const QString kNoDevice = QStringLiteral("Equipment not connected, please connect equipment !");

class ButtonsFixture {
 public:
  explicit ButtonsFixture(const QString& chosenPath = {}) : dlg(hid, clock, Options()) {
    dlg.SetFileChooser(std::make_unique<FakeChooser>(chosenPath, &asked));
    QObject::connect(&dlg.Runner(), &OperationRunner::started, [this] { ++started; });
  }
  static WindowOptions Options() {
    WindowOptions o;
    o.language = TestLanguage(true);
    o.startTimers = false;
    return o;
  }
  void Click(int id) { qobject_cast<QPushButton*>(dlg.Control(id))->click(); }
  void SetUsb(bool on) { qobject_cast<QCheckBox*>(dlg.Control(ctl::UsbOperation))->setChecked(on); }
  QLineEdit* Edit() { return qobject_cast<QLineEdit*>(dlg.Control(ctl::Frequency)); }
  bool WaitIdle() {
    return QTest::qWaitFor([this] { return !dlg.Runner().IsBusy(); }, 15000);
  }

  EmptyHid hid;
  RealClock clock;
  QStringList asked;
  int started = 0;
  MainWindow dlg;
};

}  // namespace

class ButtonsTest : public QObject {
  Q_OBJECT
 private slots:
  void UsbOnlyButtonsDoNothingWhenUnchecked();
  void SetFrequencyChecksTheFieldBeforeAnything();
  void ReadFrequencyIgnoresTheFieldAndKeepsItOnFailure();
  void FileButtonsAskFirstAndACancelEndsThere();
  void ClicksDuringAnOperationDoNothing();
  void CheckBoxPicksTheLink();
  void ASnapshotThatFailsStopsTheChange();
};

void ButtonsTest::UsbOnlyButtonsDoNothingWhenUnchecked() {
  ButtonsFixture f;
  BoxAnswerer boxes;
  f.SetUsb(false);
  f.Edit()->setText("433920000");
  for (int id : {ctl::SetFrequency, ctl::ReadFrequency, ctl::InitCallButtons}) f.Click(id);
  QTest::qWait(50);
  QCOMPARE(f.started, 0);
  QVERIFY(boxes.texts.isEmpty());
  QCOMPARE(f.hid.enumerations.load(), 0);
  QVERIFY(!f.dlg.ProgressDlg());
  // The checked value is still taken into the window's frequency.
  QCOMPARE(f.dlg.Frequency(), 433920000);
}

void ButtonsTest::SetFrequencyChecksTheFieldBeforeAnything() {
  for (const char* text : {"299999999", "900000001", "3l5600000"}) {
    ButtonsFixture f;
    BoxAnswerer boxes;
    f.Edit()->setText(text);
    f.Click(ctl::SetFrequency);
    QCOMPARE(boxes.texts.size(), 1);
    QCOMPARE(f.started, 0);
    QCOMPARE(f.hid.enumerations.load(), 0);
    QCOMPARE(f.dlg.Frequency(), 315600000);
  }
}

void ButtonsTest::ReadFrequencyIgnoresTheFieldAndKeepsItOnFailure() {
  ButtonsFixture f;
  BoxAnswerer boxes;
  f.Edit()->setText("abc");
  f.Click(ctl::ReadFrequency);
  QCOMPARE(f.started, 1);
  QVERIFY(f.WaitIdle());
  QCOMPARE(boxes.texts, (QStringList{kNoDevice, "Reading frequency failed !"}));
  QCOMPARE(f.Edit()->text(), QStringLiteral("abc"));
  QVERIFY(!f.dlg.ProgressDlg());
}

void ButtonsTest::FileButtonsAskFirstAndACancelEndsThere() {
  for (bool usb : {true, false}) {
    ButtonsFixture f;  // the chooser answers "cancelled"
    BoxAnswerer boxes;
    f.SetUsb(usb);
    f.Click(ctl::Upgrade);
    f.Click(ctl::BackupDownload);
    f.Click(ctl::BackupReadBack);
    QCOMPARE(f.asked, (QStringList{"open test", "open back-up", "save upload"}));
    QCOMPARE(f.started, 0);
    QVERIFY(boxes.texts.isEmpty());
    QVERIFY(f.dlg.ReadBackPath().isEmpty());
  }
}

void ButtonsTest::ClicksDuringAnOperationDoNothing() {
  ButtonsFixture f(QStringLiteral("/tmp/never-used.bin"));
  BoxAnswerer boxes;
  std::atomic<bool> open{false};
  QVERIFY(f.dlg.StartOperation([&] {
    while (!open) QThread::msleep(2);
  }));
  f.Edit()->setText("1");  // would prompt if validation ran
  for (int id : {1003, 1004, 1006, 1007, 1011, 1012, 1014}) f.Click(id);
  QTest::qWait(30);
  QVERIFY(f.asked.isEmpty());
  QVERIFY(boxes.texts.isEmpty());
  QCOMPARE(f.started, 1);
  open = true;
  QVERIFY(f.WaitIdle());
}

void ButtonsTest::CheckBoxPicksTheLink() {
  // Unchecked: the serial form, through the port selected in the list at the chosen speed.
  {
    PtyPeer device;
    QVERIFY(device.Ok());
    ButtonsFixture f;
    BoxAnswerer boxes;
    f.SetUsb(false);
    f.dlg.FillPortList({device.SlavePath()});
    device.AnswerOnce(6, QByteArray::fromHex("55AA02C204"
                                             "56312E30"
                                             "52"));
    f.Click(ctl::ReadVersion);
    QVERIFY(f.WaitIdle());
    QCOMPARE(device.request, QByteArray::fromHex("55AA01C2003C"));
    QCOMPARE(boxes.texts, QStringList{"Version :V1.0"});
    QCOMPARE(f.hid.enumerations.load(), 0);
  }
  // A file operation goes the same way, after its file question.
  {
    ButtonsFixture f(QStringLiteral("/tmp/firmware.bin"));
    BoxAnswerer boxes;
    f.SetUsb(false);
    f.dlg.FillPortList({"/dev/quorvin-no-such-port"});
    f.Click(ctl::Upgrade);
    QVERIFY(f.WaitIdle());
    QCOMPARE(f.asked, QStringList{"open test"});
    QCOMPARE(boxes.texts.size(), 1);
    QVERIFY2(boxes.texts.first().startsWith(QString::fromUtf8("Comm：/dev/quorvin-no-such-port\n")),
             qPrintable(boxes.texts.first()));
    QCOMPARE(f.hid.enumerations.load(), 0);
  }
}

// With the setting on, a change first takes a snapshot; with no unit to read, the snapshot fails,
// says why, and the change is never asked for.
void ButtonsTest::ASnapshotThatFailsStopsTheChange() {
  QTemporaryDir config;
  qputenv("XDG_CONFIG_HOME", QFile::encodeName(config.path()));
  QSettings(QSettings::NativeFormat, QSettings::UserScope, "quorvin", "quorvin-setup")
      .setValue("snapshotBeforeChanges", true);
  ButtonsFixture f;
  BoxAnswerer boxes;
  f.Click(ctl::InitCallButtons);
  QVERIFY(f.WaitIdle());
  QCOMPARE(boxes.texts, (QStringList{kNoDevice, "Reading version failed !"}));
  qunsetenv("XDG_CONFIG_HOME");
}

QTEST_MAIN(ButtonsTest)
#include "tst_buttons.moc"
