// The window's runs against the built-in virtual repeater, as `quorvin-setup --demo` runs them:
// every change asks first and sends nothing when cancelled; each run ends in one box whose icon
// says how it went and which names the file, its size, the version before and after, or the cause
// and the next step; Cancel stops an upgrade at once and says what the unit may now hold; the
// unit's card fills as it arrives; the file questions remember their folders; the history's times
// are the operations' own. A virtual clock makes the operations' long pauses free.

#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QtTest>

#include "app/Controls.h"
#include "app/DeviceCard.h"
#include "app/MainWindow.h"
#include "app/OperationsPanel.h"
#include "app/ProgressPanel.h"
#include "gui/GuiSupport.h"
#include "host/Clock.h"
#include "host/History.h"
#include "sim/InProcessBackend.h"
#include "support/Files.h"
#include "support/Languages.h"

using namespace quorvin;
using namespace quorvin::test;

namespace {

struct Demo {
  explicit Demo(Clock& c, bool english = true, Consent consent = Consent::Go, int boxDelayMs = 0)
      : clock(c), backend(c), boxes(boxDelayMs), window(backend, c, Options(english)) {
    window.SetAsker(std::make_unique<FakeAsker>(consent, &questions));
    window.show();
    window.LookNow();  // the unit is there, and its first look fills the card
    (void)QTest::qWaitFor([this] { return window.Idle(); }, 5000);
  }
  static WindowOptions Options(bool english) {
    WindowOptions o;
    o.demo = true;
    o.language = TestLanguage(english);
    o.startTimers = false;
    return o;
  }
  // Clicks a button, answering a file question with `path`; the boxes it showed are in `boxes`.
  void Click(int id, const QString& path = {}) {
    window.SetFileChooser(std::make_unique<FakeChooser>(path, &asked, &fileQuestions));
    qobject_cast<QPushButton*>(window.Control(id))->click();
    QVERIFY(QTest::qWaitFor([this] { return window.Idle(); }, 20000));
  }
  template <typename Fn>
  decltype(auto) Model(Fn&& fn) {
    return backend.WithModel(std::forward<Fn>(fn));
  }
  QLineEdit* Field() { return window.Operations()->FrequencyField(); }

  Clock& clock;
  InProcessBackend backend;
  QStringList asked;
  QStringList questions;
  QList<FileQuestion> fileQuestions;
  BoxAnswerer boxes;
  MainWindow window;
};

// Writes the file and answers its path, for a file question to answer with (empty when it could
// not be written, which the question's caller then reports).
QString Written(const QString& path, const QByteArray& bytes) { return WriteFile(path, bytes) ? path : QString(); }

}  // namespace

class DemoTest : public QObject {
  Q_OBJECT
 private slots:
  void init();
  void cleanup();
  void TheCardFillsAsTheUnitArrives();
  void EveryChangeAsksFirstAndCancelSendsNothing();
  void EachRunEndsInOneBoxWithTheRightIcon();
  void AFailureSaysWhyAndWhatToDoNext();
  void FileTransfersNameTheFileAndTheVersionAndRememberTheFolder();
  void CancelStopsAnUpgradeAndSaysWhatTheUnitMayHold();
  void HistoryTimesLeaveOutTheBox();

 private:
  std::unique_ptr<QTemporaryDir> m_home;
};

void DemoTest::init() {
  m_home = std::make_unique<QTemporaryDir>();
  ResetSettings();
  qputenv("XDG_STATE_HOME", QFile::encodeName(m_home->filePath("state")));
}

void DemoTest::cleanup() { qunsetenv("XDG_STATE_HOME"); }

void DemoTest::TheCardFillsAsTheUnitArrives() {
  VirtualClock clock(1000);
  Demo d(clock);
  // Read once as it arrived: the field shows what the unit holds, not a number of its own.
  QCOMPARE(d.Field()->text(), QStringLiteral("315600000"));
  QVERIFY(d.window.Card()->Text().contains("V1.0"));
  QVERIFY(d.window.Card()->Text().contains("315600000 Hz (315.6 MHz)"));
  QVERIFY(d.boxes.texts.isEmpty());  // a look shows nothing
}

void DemoTest::EveryChangeAsksFirstAndCancelSendsNothing() {
  VirtualClock clock(1000);
  QTemporaryDir dir;
  Demo d(clock, true, Consent::Cancel);
  const QString fw = Written(dir.filePath("fw.bin"), Pattern(104, 1));
  d.Field()->setText("433.92 MHz");
  QTest::keyClick(d.Field(), Qt::Key_Return);  // Enter in the field sets, after asking
  d.Click(ctl::InitCallButtons);
  d.Click(ctl::Upgrade, fw);
  d.Click(ctl::BackupDownload, fw);
  QCOMPARE(d.questions.size(), 4);
  QCOMPARE(d.questions[0], QStringLiteral("Set the working frequency of demo:repeater to 433920000 Hz (433.92 MHz)?"));
  QVERIFY(d.questions[1].contains("Every call button it knows is erased"));
  QVERIFY(d.questions[2].startsWith("Upgrade the firmware of demo:repeater with " + fw));
  QVERIFY(d.questions[3].contains(fw));
  QCOMPARE(d.Model([](DeviceModel& m) { return m.Frequency(); }), 315600000u);
  QCOMPARE(d.Model([](DeviceModel& m) { return m.CallButtonInits(); }), 0);
  QVERIFY(d.Model([](DeviceModel& m) { return m.FirmwareImage(); }).isEmpty());
  QVERIFY(d.boxes.texts.isEmpty());
  // "Do not ask again for this unit": the next change on it goes ahead unasked.
  Demo bench(clock, true, Consent::GoAndStopAsking);
  bench.Click(ctl::InitCallButtons);
  bench.window.SetAsker(std::make_unique<FakeAsker>(Consent::Cancel, &bench.questions));
  bench.Click(ctl::InitCallButtons);
  QCOMPARE(bench.questions.size(), 1);
  QCOMPARE(bench.Model([](DeviceModel& m) { return m.CallButtonInits(); }), 2);
}

void DemoTest::EachRunEndsInOneBoxWithTheRightIcon() {
  VirtualClock clock(1000);
  Demo d(clock);
  d.Click(ctl::ReadVersion);
  QCOMPARE(d.boxes.texts, QStringList{"Version :V1.0"});
  QCOMPARE(d.boxes.icons, QList<QMessageBox::Icon>{QMessageBox::Information});
  d.Field()->setText("433920 kHz");
  d.Click(ctl::SetFrequency);
  QCOMPARE(d.boxes.texts.last(), QStringLiteral("Setup frequency parameters successfully !"));
  QCOMPARE(d.boxes.icons.last(), QMessageBox::Information);
  QCOMPARE(d.Model([](DeviceModel& m) { return m.Frequency(); }), 433920000u);
  QCOMPARE(d.Field()->text(), QStringLiteral("433920000"));  // normalised to what the unit holds
  // Read back: no box, the field shows it whatever it held.
  d.Field()->setText("not a number");
  const int before = d.boxes.texts.size();
  d.Click(ctl::ReadFrequency);
  QCOMPARE(d.boxes.texts.size(), before);
  QCOMPARE(d.Field()->text(), QStringLiteral("433920000"));
  // A value the unit cannot take is refused before anything is asked or sent: a warning.
  d.Field()->setText("1 MHz");
  d.Click(ctl::SetFrequency);
  QCOMPARE(d.boxes.icons.last(), QMessageBox::Warning);
  QCOMPARE(d.boxes.texts.last(), QStringLiteral("Please enter a whole number of Hz between 300000000 and 900000000."));
  QCOMPARE(d.questions.size(), 1);
}

void DemoTest::AFailureSaysWhyAndWhatToDoNext() {
  VirtualClock clock(1000);
  Demo d(clock);
  d.Model([](DeviceModel& m) { m.Faults().dropReply = FaultCount::Always(); });
  d.Click(ctl::ReadVersion);
  // One box, not one for the transaction and another for the operation: the operation's words on
  // top, the transaction's and the typed cause below, then what to do.
  QCOMPARE(d.boxes.texts, QStringList{"Reading version failed !"});
  QCOMPARE(d.boxes.icons, QList<QMessageBox::Icon>{QMessageBox::Critical});
  QVERIFY2(d.boxes.details[0].startsWith("Read data failed, please send again !\nCause: no valid reply"),
           qPrintable(d.boxes.details[0]));
  QVERIFY(d.boxes.details[0].contains("save a support bundle"));
  // The chosen unit pulled out: said as such.
  d.Model([](DeviceModel& m) {
    m.Faults().dropReply = {};
    m.Faults().vanishAfterReports = m.ReportsTaken();
  });
  d.Click(ctl::ReadVersion);
  QCOMPARE(d.boxes.texts.last(), QStringLiteral("The chosen repeater is not attached any more."));
  QCOMPARE(d.boxes.icons.last(), QMessageBox::Warning);
}

void DemoTest::FileTransfersNameTheFileAndTheVersionAndRememberTheFolder() {
  VirtualClock clock(1000);
  QTemporaryDir dir;
  QVERIFY(QDir(dir.path()).mkpath("images") && QDir(dir.path()).mkpath("backups"));
  Demo d(clock);
  const QString fw = Written(dir.filePath("images/fw.bin"), Pattern(104, 1));
  d.Click(ctl::Upgrade, fw);
  QCOMPARE(d.boxes.texts.last(), QStringLiteral("Update successfully"));
  QVERIFY2(d.boxes.details.last().contains("File: " + fw + " (104 bytes)"), qPrintable(d.boxes.details.last()));
  QVERIFY(d.boxes.details.last().contains(QString::fromUtf8("Version: V1.0 → V1.0")));
  QCOMPARE(d.Model([](DeviceModel& m) { return m.FirmwareImage(); }), Pattern(104, 1));

  // Verified after the download by reading it back.
  const QString backup = Written(dir.filePath("backups/in.bin"), Pattern(1000, 3));
  d.Click(ctl::BackupDownload, backup);
  QCOMPARE(d.boxes.texts.last(), QStringLiteral("Download successfully !"));
  QVERIFY(d.boxes.details.last().contains("Verify successfully: the device holds the same 1000 bytes."));
  const QString out = Written(dir.filePath("backups/upload.bin"), "earlier");
  d.Click(ctl::BackupReadBack, out);
  QCOMPARE(ReadFile(out), Pattern(1000, 3));
  // A read-back cut short keeps that file as it is now, and says so with the cause.
  d.Model([](DeviceModel& m) { m.Faults().stopReadBackAfter = 3; });
  d.Click(ctl::BackupReadBack, out);
  QCOMPARE(d.boxes.icons.last(), QMessageBox::Critical);
  QCOMPARE(ReadFile(out), Pattern(1000, 3));
  QVERIFY(d.boxes.details.last().contains("Cause: packet 4 did not arrive"));

  // Each question is titled by what it is for and opens where that operation looked last.
  d.Click(ctl::Upgrade, {});
  QCOMPARE(d.fileQuestions.first().title, QStringLiteral("Choose the firmware image"));
  QCOMPARE(d.fileQuestions.last().folder, dir.filePath("images"));
  QCOMPARE(d.fileQuestions.last().filter, QStringLiteral("Firmware images (*.bin)"));
}

void DemoTest::CancelStopsAnUpgradeAndSaysWhatTheUnitMayHold() {
  RealClock clock;  // the device's long pause after the first packet, for real
  QTemporaryDir dir;
  Demo d(clock);
  const QString fw = Written(dir.filePath("fw.bin"), Pattern(52 * 40, 1));
  d.window.SetFileChooser(std::make_unique<FakeChooser>(fw, &d.asked));
  qobject_cast<QPushButton*>(d.window.Control(ctl::Upgrade))->click();
  QTRY_VERIFY(d.window.Progress()->isVisible());
  // The first packet at the device: the upgrade is in its long pause after it.
  QTRY_VERIFY_WITH_TIMEOUT(d.Model([](DeviceModel& m) { return m.Log().CountFromHost(cmd::UsbUpgrade); }) > 0, 5000);
  QElapsedTimer stopping;
  stopping.start();
  QTest::mouseClick(d.window.Progress()->CancelButton(), Qt::LeftButton);
  QTRY_VERIFY_WITH_TIMEOUT(!d.boxes.texts.isEmpty(), 2000);
  QVERIFY2(stopping.elapsed() < 600, qPrintable(QString::number(stopping.elapsed())));
  QCOMPARE(d.boxes.texts.last(), QStringLiteral("The operation was stopped."));
  QVERIFY(d.boxes.details.last().contains("may now hold a partial firmware: upgrade it again before using it"));
  QTRY_VERIFY(!d.window.Runner().IsBusy());
  const QVector<QJsonObject> history = ReadHistory(HistoryPath());
  QCOMPARE(history.last()["outcome"].toString(), QStringLiteral("interrupted"));
}

void DemoTest::HistoryTimesLeaveOutTheBox() {
  RealClock clock;
  Demo d(clock, true, Consent::Go, /*boxDelayMs=*/400);  // the technician reads the box first
  d.Click(ctl::ReadVersion);
  QTRY_VERIFY(!d.window.OpenBox());
  const QVector<QJsonObject> history = ReadHistory(HistoryPath());
  QCOMPARE(history.last()["operation"].toString(), QStringLiteral("version"));
  QVERIFY2(history.last()["ms"].toInteger() < 300, qPrintable(QString::number(history.last()["ms"].toInteger())));
}

QTEST_MAIN(DemoTest)
#include "tst_demo.moc"
