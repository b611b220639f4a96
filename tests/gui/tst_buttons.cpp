// What each button does before and around its operation, with no repeater attached: which file
// question it asks, what it refuses before anything is sent, that the link panel picks the USB or
// the serial form, that a click during an operation does nothing, and that a snapshot that fails
// stops the change.

#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>
#include <QSettings>
#include <QTemporaryDir>
#include <QThread>
#include <QtTest>

#include "app/Controls.h"
#include "app/LinkPanel.h"
#include "app/MainWindow.h"
#include "app/OperationsPanel.h"
#include "gui/GuiSupport.h"
#include "host/Clock.h"
#include "support/Languages.h"

using namespace quorvin;
using namespace quorvin::test;

namespace {

class ButtonsFixture {
 public:
  explicit ButtonsFixture(const QString& chosenPath = {}) : dlg(hid, clock, Options()) {
    dlg.SetFileChooser(std::make_unique<FakeChooser>(chosenPath, &asked));
    dlg.SetAsker(std::make_unique<FakeAsker>(Consent::Go, &questions));
    QObject::connect(&dlg.Runner(), &OperationRunner::started, [this] { ++started; });
  }
  static WindowOptions Options() {
    WindowOptions o;
    o.language = TestLanguage(true);
    o.startTimers = false;
    return o;
  }
  void Click(int id) { qobject_cast<QPushButton*>(dlg.Control(id))->click(); }
  void SetSerial(bool on) { dlg.LinkChoice()->SetSerial(on); }
  QLineEdit* Edit() { return dlg.Operations()->FrequencyField(); }
  bool WaitIdle() {
    return QTest::qWaitFor([this] { return dlg.Idle(); }, 15000);
  }

  EmptyHid hid;
  RealClock clock;
  QStringList asked;
  QStringList questions;
  int started = 0;
  MainWindow dlg;
};

}  // namespace

class ButtonsTest : public QObject {
  Q_OBJECT
 private slots:
  void init();
  void cleanup();
  void SetFrequencyChecksTheFieldBeforeAnything();
  void FileButtonsAskFirstAndACancelEndsThere();
  void ClicksDuringAnOperationDoNothing();
  void TheLinkPanelPicksTheLink();
  void ASnapshotThatFailsStopsTheChange();

 private:
};

void ButtonsTest::init() { ResetSettings(); }

void ButtonsTest::cleanup() {}

void ButtonsTest::SetFrequencyChecksTheFieldBeforeAnything() {
  for (const char* text : {"299999999", "900000001", "3l5600000", ""}) {
    ButtonsFixture f;
    BoxAnswerer boxes;
    f.Edit()->setText(text);
    f.Click(ctl::SetFrequency);
    QCOMPARE(boxes.texts.size(), 1);
    QCOMPARE(boxes.icons.value(0), QMessageBox::Warning);
    QCOMPARE(f.started, 0);
    QVERIFY(f.questions.isEmpty());
    QCOMPARE(f.hid.enumerations.load(), 0);
    // Back in the field with its text selected, ready to be typed over.
    QCOMPARE(f.Edit()->selectedText(), QString::fromLatin1(text));
  }
}

void ButtonsTest::FileButtonsAskFirstAndACancelEndsThere() {
  for (bool serial : {false, true}) {
    ButtonsFixture f;  // the chooser answers "cancelled"
    BoxAnswerer boxes;
    f.SetSerial(serial);
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

void ButtonsTest::TheLinkPanelPicksTheLink() {
  // A port that is not there: one box, the port named, and what to do.
  {
    ButtonsFixture f(QStringLiteral("/tmp/firmware.bin"));
    BoxAnswerer boxes;
    f.SetSerial(true);
    f.dlg.LinkChoice()->SetPorts({"/dev/quorvin-no-such-port"});
    f.Click(ctl::ReadVersion);
    QVERIFY(f.WaitIdle());
    QCOMPARE(boxes.texts.size(), 1);
    QVERIFY2(boxes.texts.first().startsWith(QString::fromUtf8("Comm：/dev/quorvin-no-such-port\n")),
             qPrintable(boxes.texts.first()));
    QCOMPARE(f.hid.enumerations.load(), 0);
  }
  // USB with nothing attached: one box, the operation's own words on top and the cause below.
  {
    ButtonsFixture f;
    BoxAnswerer boxes;
    f.SetSerial(false);  // the link chosen above is remembered
    f.Click(ctl::ReadVersion);
    QVERIFY(f.WaitIdle());
    QCOMPARE(boxes.texts, QStringList{"Reading version failed !"});
    QVERIFY(boxes.details.value(0).startsWith("Equipment not connected, please connect equipment !"));
    QCOMPARE(boxes.icons.value(0), QMessageBox::Critical);
  }
}

// With the setting on, a change first takes a snapshot; with no unit to read, the snapshot fails,
// says why, and the change is never sent.
void ButtonsTest::ASnapshotThatFailsStopsTheChange() {
  ButtonsFixture f;
  f.dlg.Operations()->SnapshotBox()->setChecked(true);
  BoxAnswerer boxes;
  f.Click(ctl::InitCallButtons);
  QVERIFY(f.WaitIdle());
  QCOMPARE(boxes.texts, QStringList{"The snapshot before the change could not be taken, so nothing was changed."});
  QCOMPARE(boxes.icons, QList<QMessageBox::Icon>{QMessageBox::Warning});
  QVERIFY(boxes.details.value(0).contains("Reading version failed !"));
  // Remembered as a setting.
  QVERIFY(QSettings(QSettings::NativeFormat, QSettings::UserScope, "quorvin", "quorvin-setup")
              .value("snapshotBeforeChanges")
              .toBool());
}

QTEST_MAIN(ButtonsTest)
#include "tst_buttons.moc"
