// Every button against the built-in virtual repeater, as `quorvin-setup --demo` runs it, with the
// file questions and boxes answered here; and the poll timer and device watcher following the
// repeater as it comes and goes. A virtual clock makes the operations' long pauses free.

#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QtTest>

#include "app/MainWindow.h"
#include "app/WindowLayout.h"
#include "gui/GuiSupport.h"
#include "host/Clock.h"
#include "link/Backends.h"
#include "sim/InProcessBackend.h"
#include "support/Languages.h"

using namespace quorvin;
using namespace quorvin::test;

namespace {

class Demo {
 public:
  explicit Demo(bool english = true) : backend(MakeInProcessBackend(clock)), dlg(*backend, clock, Options(english)) {}
  static WindowOptions Options(bool english) {
    WindowOptions o;
    o.demo = true;
    o.language = TestLanguage(english);
    o.startTimers = false;
    return o;
  }
  [[nodiscard]] QString Status() const { return dlg.findChild<QLabel*>(QStringLiteral("deviceStatus"))->text(); }
  // Clicks a button, answering a file question with `path`, and returns the boxes it showed.
  QStringList Click(int id, const QString& path = {}) {
    dlg.SetFileChooser(std::make_unique<FakeChooser>(path, &asked));
    BoxAnswerer boxes;
    qobject_cast<QPushButton*>(dlg.Control(id))->click();
    if (!QTest::qWaitFor([this] { return !dlg.Runner().IsBusy(); }, 20000)) return {"still busy"};
    return boxes.texts;
  }
  template <typename Fn>
  decltype(auto) Model(Fn&& fn) {
    return dynamic_cast<InProcessBackend&>(*backend).WithModel(std::forward<Fn>(fn));
  }
  QLineEdit* Edit() { return qobject_cast<QLineEdit*>(dlg.Control(ctl::Frequency)); }

  VirtualClock clock;
  std::unique_ptr<HidBackend> backend;
  QStringList asked;
  MainWindow dlg;
};

QByteArray Pattern(int size, int seed) {
  QByteArray bytes(size, '\0');
  for (int i = 0; i < size; ++i) bytes[i] = static_cast<char>((i * 7 + seed) & 0xFF);
  return bytes;
}

QString WriteFile(const QTemporaryDir& dir, const QString& name, const QByteArray& bytes) {
  QFile file(dir.filePath(name));
  if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size()) return {};
  return file.fileName();
}

QByteArray ReadFile(const QString& path) {
  QFile file(path);
  return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<unreadable>");
}

}  // namespace

class DemoTest : public QObject {
  Q_OBJECT
 private slots:
  void ShortExchanges();
  void FileTransfersRoundTrip();
  void ChineseBoxes();
  void PollingFollowsTheDeviceComingAndGoing();
};

void DemoTest::ShortExchanges() {
  Demo d;
  d.dlg.show();
  QCOMPARE(d.dlg.windowTitle(), QStringLiteral("Setup System V1.0 (demo)"));
  QCOMPARE(d.Click(ctl::ReadVersion), QStringList{"Version :V1.0"});

  d.Edit()->setText("433920000");
  QCOMPARE(d.Click(ctl::SetFrequency), QStringList{"Setup frequency parameters successfully !"});
  QCOMPARE(d.Model([](DeviceModel& m) { return m.Frequency(); }), 433920000u);

  // Read back into the field, whatever the field held; no box on success.
  d.Edit()->setText("not a number");
  QCOMPARE(d.Click(ctl::ReadFrequency), QStringList{});
  QCOMPARE(d.Edit()->text(), QStringLiteral("433920000"));
  QCOMPARE(d.dlg.Frequency(), 433920000);

  QCOMPARE(d.Click(ctl::InitCallButtons), QStringList{"Initialize call button data successfully !"});
  QCOMPARE(d.Model([](DeviceModel& m) { return m.CallButtonInits(); }), 1);

  // Every operation leaves the window as it found it.
  QVERIFY(!d.dlg.ProgressDlg());
  QVERIFY(d.dlg.isEnabled());
  QVERIFY(d.asked.isEmpty());
}

void DemoTest::FileTransfersRoundTrip() {
  QTemporaryDir dir;
  Demo d;
  d.dlg.show();
  const QByteArray firmware = Pattern(104, 1);
  QCOMPARE(d.Click(ctl::Upgrade, WriteFile(dir, "fw.bin", firmware)), QStringList{"Update successfully"});
  QCOMPARE(d.Model([](DeviceModel& m) { return m.FirmwareImage(); }), firmware);

  const QByteArray backup = Pattern(1000, 3);
  QCOMPARE(d.Click(ctl::BackupDownload, WriteFile(dir, "in.bin", backup)), QStringList{"Download successfully !"});
  QCOMPARE(d.Model([](DeviceModel& m) { return m.BackupData(); }), backup);

  // Read back over an earlier file: replaced, byte for byte, with what the device holds.
  const QString out = WriteFile(dir, "upload.bin", "earlier");
  QCOMPARE(d.Click(ctl::BackupReadBack, out), QStringList{"Read backup data successfully !"});
  QCOMPARE(ReadFile(out), backup);
  QCOMPARE(d.dlg.ReadBackPath(), out);

  // A read-back cut short keeps that file as it is now.
  d.Model([](DeviceModel& m) { m.Faults().stopReadBackAfter = 3; });
  QCOMPARE(d.Click(ctl::BackupReadBack, out).value(0), QStringLiteral("Read backup data failed !"));
  QCOMPARE(ReadFile(out), backup);

  QCOMPARE(d.asked, (QStringList{"open test", "open back-up", "save upload", "save upload"}));
  QVERIFY(!d.dlg.ProgressDlg());
}

void DemoTest::ChineseBoxes() {
  Demo d(false);
  QCOMPARE(d.dlg.windowTitle(), QString::fromUtf8("Quorvin V1.0（演示）"));
  QCOMPARE(d.Click(ctl::ReadVersion), QStringList{QString::fromUtf8("当前版本号:V1.0")});
}

void DemoTest::PollingFollowsTheDeviceComingAndGoing() {
  Demo d;
  d.dlg.PollTimer().start(20);
  d.dlg.WatchTimer().start(20);
  // Found on a tick; polling then stops.
  QTRY_VERIFY(d.dlg.Watcher().DeviceConnected());
  QTRY_VERIFY(!d.dlg.PollTimer().isActive());
  QVERIFY(d.dlg.Link().LinkUp());
  // The strip under the buttons names it, and its version once read.
  QTRY_VERIFY(d.Status().startsWith("Repeater: "));
  QCOMPARE(d.Click(ctl::ReadVersion), QStringList{"Version :V1.0"});
  QTRY_VERIFY(d.Status().endsWith(", version V1.0"));

  // Unplugged: the watcher notices and polling starts again.
  d.Model([](DeviceModel& m) { m.Faults().vanishAfterReports = m.ReportsTaken(); });
  QTRY_VERIFY(d.dlg.PollTimer().isActive());
  QVERIFY(!d.dlg.Watcher().DeviceConnected());
  QTRY_COMPARE(d.Status(), QStringLiteral("No repeater attached"));

  // Plugged in again: found again.
  d.Model([](DeviceModel& m) { m.Faults().vanishAfterReports = -1; });
  QTRY_VERIFY(d.dlg.Watcher().DeviceConnected());
  QTRY_VERIFY(!d.dlg.PollTimer().isActive());
}

QTEST_MAIN(DemoTest)
#include "tst_demo.moc"
