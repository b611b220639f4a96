// The window's runs against the built-in virtual repeater, as `quorvin-setup --demo` runs them:
// every change asks first and sends nothing when cancelled; each run ends in one box whose icon
// says how it went and which names the file, its size, the version before and after, or the cause
// and the next step; Cancel stops an upgrade at once and says what the unit may now hold; the
// unit's card fills as it arrives; the file questions remember their folders; the history's times
// are the operations' own. A virtual clock makes the operations' long pauses free.

#include <QCheckBox>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QtTest>

#include "app/Controls.h"
#include "app/DeviceCard.h"
#include "app/MainWindow.h"
#include "app/OperationsPanel.h"
#include "app/ProgressPanel.h"
#include "app/SnapshotsView.h"
#include "front/Snapshot.h"
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
  void ARestoreBringsBackTheBackupAndTheFrequency();
  void ADroppedFileIsSentOnlyAfterSayingWhatFor();

 private:
  std::unique_ptr<QTemporaryDir> m_home;
};

void DemoTest::init() {
  m_home = std::make_unique<QTemporaryDir>();
  ResetSettings();
  qputenv("XDG_STATE_HOME", QFile::encodeName(m_home->filePath("state")));
}

void DemoTest::cleanup() { UsePrivateFolders(); }

void DemoTest::TheCardFillsAsTheUnitArrives() {
  VirtualClock clock(1000);
  Demo d(clock);
  // Read once as it arrived: the field shows what the unit holds, not a number of its own.
  QCOMPARE(d.Field()->text(), QStringLiteral("315600000"));
  QVERIFY(d.window.Card()->Text().contains("V1.0"));
  QVERIFY(d.window.Card()->Text().contains("315600000 Hz (315.6 MHz)"));
  // A screen reader hears each value with its name.
  QStringList spoken;
  for (const QLabel* label : d.window.Card()->findChildren<QLabel*>()) spoken << label->accessibleName();
  QVERIFY2(spoken.contains("Version: V1.0"), qPrintable(spoken.join(" | ")));
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
  QVERIFY2(d.boxes.details[0].startsWith("Read data failed, please send again !\n"
                                         "Cause: the repeater gave no valid reply in time\nDetails: no valid reply"),
           qPrintable(d.boxes.details[0]));
  QVERIFY(d.boxes.details[0].contains("save a support bundle"));
  // The card keeps saying so after the box: not "ready".
  QVERIFY2(d.window.Card()->Text().contains("the last operation failed"), qPrintable(d.window.Card()->Text()));
  // In Chinese the cause is Chinese too; only the operation's own account stays as it was written.
  Demo zh(clock, /*english=*/false);
  zh.Model([](DeviceModel& m) { m.Faults().dropReply = FaultCount::Always(); });
  zh.Click(ctl::ReadVersion);
  QVERIFY2(zh.boxes.details.last().contains(QStringLiteral("原因：中继器未在规定时间内给出有效应答")),
           qPrintable(zh.boxes.details.last()));
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
  QVERIFY(d.boxes.details.last().contains(
      "Cause: a packet of the read-back did not arrive\nDetails: packet 4 did not arrive"));

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
  // And the card keeps saying so: a unit with half a firmware is not "ready".
  QVERIFY2(d.window.Card()->Text().contains("the last change was stopped part-way"),
           qPrintable(d.window.Card()->Text()));
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

void DemoTest::ARestoreBringsBackTheBackupAndTheFrequency() {
  VirtualClock clock(1000);
  qputenv("XDG_DATA_HOME", QFile::encodeName(m_home->filePath("data")));
  Demo d(clock);
  const QByteArray before = d.Model([](DeviceModel& m) { return m.BackupData(); });
  // A change with the snapshot on keeps what the unit held first.
  d.window.Operations()->SnapshotBox()->setChecked(true);
  d.Field()->setText("433920000");
  d.Click(ctl::SetFrequency);
  QVERIFY(d.Model([](DeviceModel& m) { return m.SetBackupData(Pattern(777, 9)); }));
  const std::vector<SnapshotInfo> kept = ListSnapshots();
  QCOMPARE(kept.size(), std::size_t{1});
  d.window.Operations()->SnapshotBox()->setChecked(false);
  // Put back from the Snapshots view: the backup, then the frequency, byte for byte.
  SnapshotInfo loaded;
  QVERIFY(LoadSnapshot(kept.front().folder, loaded, nullptr));
  d.window.RequestRestore(loaded);
  QVERIFY(QTest::qWaitFor([&] { return d.window.Idle(); }, 10000));
  QCOMPARE(d.Model([](DeviceModel& m) { return m.BackupData(); }), before);
  QCOMPARE(d.Model([](DeviceModel& m) { return m.Frequency(); }), 315600000u);
  QVERIFY(d.questions.last().startsWith("Put the snapshot "));
  // Taken on its own from the view: asked nothing (it only reads), the unit unchanged, one more kept.
  const int asked = d.questions.size();
  d.window.Snapshots()->findChild<QPushButton*>(QStringLiteral("snapshotsTake"))->click();
  QVERIFY(QTest::qWaitFor([&] { return d.window.Idle(); }, 10000));
  QCOMPARE(d.questions.size(), asked);
  QVERIFY2(d.boxes.texts.last().startsWith("Snapshot taken: "), qPrintable(d.boxes.texts.last()));
  const std::vector<SnapshotInfo> now = ListSnapshots();
  QCOMPARE(now.size(), std::size_t{2});
  QCOMPARE(now.back().backupBytes, qint64(before.size()));
  QCOMPARE(d.Model([](DeviceModel& m) { return m.BackupData(); }), before);
}

void DemoTest::ADroppedFileIsSentOnlyAfterSayingWhatFor() {
  VirtualClock clock(1000);
  QTemporaryDir dir;
  const QString fw = Written(dir.filePath("dropped.bin"), Pattern(104, 5));
  Demo d(clock, true, Consent::Cancel);  // the drop's own question is the consent
  d.boxes.leave << QStringLiteral("dropQuestion");
  const auto drop = [&](const char* answer) {
    QString asked;
    QTimer::singleShot(0, [&] {
      QTRY_VERIFY(qobject_cast<QMessageBox*>(QApplication::activeModalWidget()));
      auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
      asked = box->text() + QLatin1Char('\n') + box->informativeText();
      for (QAbstractButton* b : box->buttons())
        if (QString(b->text()).remove(QLatin1Char('&')) == QLatin1String(answer)) b->click();
    });
    d.window.OfferFile(fw);
    (void)QTest::qWaitFor([&] { return d.window.Idle(); }, 10000);
    return asked;
  };
  const QString question = drop("Cancel");
  QVERIFY2(question.contains("dropped.bin") && question.contains("Size: 104 bytes") && question.contains("SHA-256: "),
           qPrintable(question));
  QVERIFY(d.Model([](DeviceModel& m) { return m.FirmwareImage(); }).isEmpty());
  (void)drop("Upgrade the firmware");
  QCOMPARE(d.Model([](DeviceModel& m) { return m.FirmwareImage(); }), Pattern(104, 5));
  QVERIFY(d.questions.isEmpty());
}

QTEST_MAIN(DemoTest)
#include "tst_demo.moc"
