// The window with several repeaters, as a bench has them (quorvin-sim --units): each listed with
// what it is, its card filled within moments of its arrival, nothing run while several are there
// and none is chosen, the chosen one the only one changed, and a unit that leaves greyed out and
// chosen again when it comes back.

#include <QElapsedTimer>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QTemporaryDir>
#include <QtTest>

#include "app/Controls.h"
#include "app/DeviceCard.h"
#include "app/MainWindow.h"
#include "app/OperationsPanel.h"
#include "app/UnitList.h"
#include "gui/GuiSupport.h"
#include "host/Clock.h"
#include "link/Backends.h"
#include "support/Languages.h"
#include "support/SimProcess.h"

using namespace quorvin;
using namespace quorvin::test;

class UnitsTest : public QObject {
  Q_OBJECT
 private slots:
  void init();
  void cleanup();
  void TheCardIsFilledSoonAfterTheUnitArrives();
  void OnlyTheChosenUnitIsChanged();
  void AUnitThatLeavesGreysOutAndIsChosenAgainOnItsReturn();

 private:
  void StartSim(const QStringList& extra);
  [[nodiscard]] std::unique_ptr<MainWindow> Window(HidBackend& backend, bool watch);

  QProcess m_sim;
  std::unique_ptr<QTemporaryDir> m_dir;
  RealClock m_clock;
  QStringList m_questions;
};

void UnitsTest::init() {
  ResetSettings();
  m_dir = std::make_unique<QTemporaryDir>();
  m_questions.clear();
}

void UnitsTest::cleanup() {
  m_sim.terminate();
  if (!m_sim.waitForFinished(5000)) m_sim.kill();
}

void UnitsTest::StartSim(const QStringList& extra) {
  m_sim.setProgram(SimBinary());
  m_sim.setArguments(QStringList{"--hid-socket", m_dir->filePath("units")} + extra);
  m_sim.start();
  QString out;
  QVERIFY(QTest::qWaitFor(
      [&] {
        out += QString::fromLocal8Bit(m_sim.readAllStandardOutput());
        return out.contains(QLatin1String("quorvin-sim ready"));
      },
      10000));
}

std::unique_ptr<MainWindow> UnitsTest::Window(HidBackend& backend, bool watch) {
  WindowOptions o;
  o.language = TestLanguage(true);
  o.startTimers = watch;
  o.watchIntervalMs = 200;
  auto window = std::make_unique<MainWindow>(backend, m_clock, o);
  window->SetAsker(std::make_unique<FakeAsker>(Consent::Go, &m_questions));
  window->show();
  return window;
}

void UnitsTest::TheCardIsFilledSoonAfterTheUnitArrives() {
  auto backend = MakeSocketBackend(m_dir->filePath("units"));
  QVERIFY(QDir().mkpath(m_dir->filePath("units")));
  auto window = Window(*backend, /*watch=*/true);
  QTest::qWait(300);
  QElapsedTimer since;
  since.start();
  StartSim({"--units", "1", "--version", "V2.3"});
  QVERIFY(QTest::qWaitFor([&] { return window->Card()->Text().contains("V2.3"); }, 5000));
  QVERIFY(window->Card()->Text().contains("315.6 MHz"));
  // From the unit's arrival (the simulator ready, its socket there) to its version and frequency
  // on the card.
  qInfo("card filled %lld ms after the unit arrived", since.elapsed());
  QVERIFY2(since.elapsed() < 1500, qPrintable(QString::number(since.elapsed())));
}

void UnitsTest::OnlyTheChosenUnitIsChanged() {
  StartSim({"--units", "3"});
  auto backend = MakeSocketBackend(m_dir->filePath("units"));
  auto window = Window(*backend, /*watch=*/false);
  BoxAnswerer boxes;
  window->LookNow();
  QVERIFY(QTest::qWaitFor([&] { return window->Idle(); }, 5000));
  QCOMPARE(window->Units()->PresentCount(), 3);
  QCOMPARE(window->Units()->findItems("sn:QV0003", Qt::MatchExactly).value(0)->text(5), QStringLiteral("ready"));
  // Several and none chosen: nothing runs, and the window says why.
  window->Operations()->FrequencyField()->setText("433920000");
  qobject_cast<QPushButton*>(window->Control(ctl::SetFrequency))->click();
  QVERIFY(QTest::qWaitFor([&] { return window->Idle(); }, 5000));
  QCOMPARE(boxes.texts.value(0), QStringLiteral("Several repeaters are attached: choose one in the list first."));
  QVERIFY(m_questions.isEmpty());
  // Unit 2 chosen: it, and only it, takes the new frequency.
  window->Units()->ChooseKey("sim:2");
  window->Operations()->FrequencyField()->setText("433.92 MHz");
  qobject_cast<QPushButton*>(window->Control(ctl::SetFrequency))->click();
  QVERIFY(QTest::qWaitFor([&] { return window->Idle(); }, 5000));
  QCOMPARE(m_questions.size(), 1);
  QVERIFY(m_questions[0].contains("sn:QV0002 (sim:2)"));
  QCOMPARE(boxes.texts.last(), QStringLiteral("Setup frequency parameters successfully !"));
  for (const auto& [location, hz] : {std::pair{"sim:1", 315600000}, {"sim:2", 433920000}, {"sim:3", 315600000}}) {
    window->Units()->ChooseKey(QString::fromLatin1(location));
    qobject_cast<QPushButton*>(window->Control(ctl::ReadFrequency))->click();
    QVERIFY(QTest::qWaitFor([&] { return window->Idle(); }, 5000));
    QCOMPARE(window->Operations()->FrequencyField()->text(), QString::number(hz));
  }
}

void UnitsTest::AUnitThatLeavesGreysOutAndIsChosenAgainOnItsReturn() {
  StartSim({"--units", "2"});
  auto backend = MakeSocketBackend(m_dir->filePath("units"));
  auto window = Window(*backend, /*watch=*/false);
  window->LookNow();
  QVERIFY(QTest::qWaitFor([&] { return window->Idle(); }, 5000));
  window->Units()->ChooseKey("sim:2");
  // Unplugged: still listed, greyed, and the card says it is not attached.
  QVERIFY(QFile::rename(m_dir->filePath("units/2.sock"), m_dir->filePath("away.sock")));
  window->LookNow();
  QCOMPARE(window->Units()->PresentCount(), 1);
  QVERIFY(!window->Units()->ChosenPresent());
  QVERIFY(window->Card()->Text().contains("not attached"));
  // Nothing runs on its neighbour meanwhile.
  {
    BoxAnswerer boxes;
    qobject_cast<QPushButton*>(window->Control(ctl::ReadVersion))->click();
    QVERIFY(QTest::qWaitFor([&] { return window->Idle(); }, 5000));
    QCOMPARE(boxes.texts.value(0).left(36), QStringLiteral("The chosen repeater sn:QV0002 is not"));
  }
  const QList<QTreeWidgetItem*> rows = window->Units()->findItems("sn:QV0002", Qt::MatchExactly);
  QCOMPARE(rows.size(), 1);
  QVERIFY(!(rows[0]->flags() & Qt::ItemIsSelectable));
  // Back in its place: chosen again, not its neighbour.
  QVERIFY(QFile::rename(m_dir->filePath("away.sock"), m_dir->filePath("units/2.sock")));
  window->LookNow();
  QVERIFY(window->Units()->ChosenPresent());
  QCOMPARE(window->Units()->ChosenKey(), QStringLiteral("sim:2"));
}

QTEST_MAIN(UnitsTest)
#include "tst_units.moc"
