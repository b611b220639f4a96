// The window claims its unit at the click, from what is attached then, through the same lock every
// program takes: a unit another program holds is left alone, even before the window's own device
// watcher has seen it, and a lock that cannot be taken at all stops the run too.

#include <sys/stat.h>

#include <QPushButton>
#include <QTemporaryDir>
#include <QtTest>

#include "app/Controls.h"
#include "app/MainWindow.h"
#include "gui/GuiSupport.h"
#include "host/Clock.h"
#include "host/DeviceLock.h"
#include "link/Backends.h"
#include "support/Languages.h"
#include "support/SimProcess.h"

using namespace quorvin;
using namespace quorvin::test;

class UnitClaimTest : public QObject {
  Q_OBJECT
 private slots:
  void init();
  void cleanup();
  void AUnitHeldElsewhereIsLeftAloneFromTheFirstClick();

 private:
  QTemporaryDir m_dir;
  std::unique_ptr<SimProcess> m_sim;  // the unit, named by its socket: sim:unit
};

void UnitClaimTest::init() {
  ResetSettings();
  m_sim = std::make_unique<SimProcess>(QStringList{QStringLiteral("--trace")}, m_dir.filePath("unit.sock"));
  QVERIFY2(m_sim->Ready(), qPrintable(m_sim->Output()));
}

void UnitClaimTest::cleanup() { m_sim.reset(); }

void UnitClaimTest::AUnitHeldElsewhereIsLeftAloneFromTheFirstClick() {
  auto backend = MakeSocketBackend(m_sim->SocketPath());
  QVERIFY(backend);
  const auto present = backend->Enumerate();
  QCOMPARE(present.size(), std::size_t{1});
  const QString lockName = backend->LockName(present.front());
  WindowOptions options;
  options.language = TestLanguage(true);
  options.startTimers = false;  // the device watcher has not named the unit yet
  RealClock clock;
  MainWindow dlg(*backend, clock, options);
  BoxAnswerer boxes;
  const auto click = [&] {
    qobject_cast<QPushButton*>(dlg.Control(ctl::ReadVersion))->click();
    QVERIFY(QTest::qWaitFor([&] { return dlg.Idle(); }, 15000));
  };

  {
    // Held as another program holds it while it upgrades the unit.
    DeviceLock held;
    qint64 holder = 0;
    QString detail;
    QCOMPARE(held.TryAcquire(lockName, holder, detail), LockResult::Acquired);
    click();
    QCOMPARE(boxes.texts.size(), 1);
    QVERIFY2(boxes.texts[0].startsWith("The repeater sim:unit is in use by another program (process "),
             qPrintable(boxes.texts[0]));
  }
  // A lock that cannot be taken at all: nothing runs unlocked either.
  const QByteArray lockPath = QFile::encodeName(DeviceLock::LockPath(lockName));
  QCOMPARE(::mkfifo(lockPath.constData(), 0600), 0);
  click();
  ::unlink(lockPath.constData());
  QCOMPARE(boxes.texts.size(), 2);
  QVERIFY2(boxes.texts[1].contains("cannot be taken"), qPrintable(boxes.texts[1]));
  // The unit never saw a request.
  const QString said = m_sim->Output();
  QVERIFY2(!said.contains(QLatin1String("host>")), qPrintable(said));

  // Free again, the same click reaches it.
  click();
  QCOMPARE(boxes.texts.value(2), QStringLiteral("Version :V1.0"));
}

QTEST_MAIN(UnitClaimTest)
#include "tst_unit_claim.moc"
