// The progress panel over the main window: a part of the window (it moves with it and is never
// wider than it), range and position that stay consistent over repeated operations, the percent
// and time left once the pace is known, "waiting for the device" while the bar cannot move, and
// its Cancel, which asks the running operation to stop.

#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QThread>
#include <QtTest>

#include "app/MainWindow.h"
#include "app/ProgressPanel.h"
#include "gui/GuiSupport.h"
#include "host/Clock.h"
#include "support/Languages.h"

using namespace quorvin;
using namespace quorvin::test;

class ProgressPanelTest : public QObject {
  Q_OBJECT
 private slots:
  void init();
  void cleanup();
  void ItIsAPartOfTheWindowAndNeverWiderThanIt();
  void RangeAndPositionStayConsistent();
  void PaceAndTimeLeftOnceKnown();
  void AStillBarSaysTheDeviceIsWaitedFor();
  void CancelAsksTheOperationToStop();

 private:
  EmptyHid m_hid;
  RealClock m_clock;
  std::unique_ptr<MainWindow> m_window;
};

void ProgressPanelTest::init() {
  ResetSettings();
  WindowOptions o;
  o.language = TestLanguage(true);
  o.startTimers = false;
  m_window = std::make_unique<MainWindow>(m_hid, m_clock, o);
  m_window->resize(400, 300);
  m_window->show();
  QVERIFY(QTest::qWaitForWindowExposed(m_window.get()));
}

void ProgressPanelTest::cleanup() { m_window.reset(); }

void ProgressPanelTest::ItIsAPartOfTheWindowAndNeverWiderThanIt() {
  ProgressPanel* panel = m_window->Progress();
  m_window->ShowProgress();
  QVERIFY(panel->isVisible());
  QCOMPARE(panel->parentWidget(), static_cast<QWidget*>(m_window.get()));
  QVERIFY(!panel->isWindow());  // it moves with the window, it cannot stay behind
  QVERIFY(panel->width() <= m_window->width());
  m_window->resize(m_window->minimumSizeHint());  // as small as it goes
  QTRY_VERIFY(panel->width() <= m_window->width());
  QVERIFY(m_window->rect().contains(panel->geometry()));
  m_window->CloseProgress();
  QVERIFY(!panel->isVisible());
}

void ProgressPanelTest::RangeAndPositionStayConsistent() {
  ProgressPanel* panel = m_window->Progress();
  m_window->ShowProgress();
  QCOMPARE(panel->Bar()->maximum(), 3);
  m_window->SetProgressRange(100);
  m_window->SetProgressPos(150);
  QCOMPARE(panel->Bar()->value(), 100);  // clamped into the range
  m_window->SetProgressRange(10);
  QCOMPARE(panel->Bar()->value(), 10);  // moved to the nearest end, not lost
  m_window->SetProgressText("line");
  m_window->CloseProgress();
  // A new operation starts afresh.
  m_window->ShowProgress();
  QCOMPARE(panel->Bar()->value(), 0);
  QCOMPARE(panel->Bar()->maximum(), 3);
  QVERIFY(panel->TextLine()->text().isEmpty());
  QCOMPARE(m_window->ProgressPos(), 0);
}

void ProgressPanelTest::PaceAndTimeLeftOnceKnown() {
  const Language en = TestLanguage(true);
  QCOMPARE(PaceText(en, 1, 3, 0, 10'000), QString());                  // a short exchange has no percent
  QCOMPARE(PaceText(en, 25, 100, 20, 1'000), QStringLiteral("25 %"));  // too early for a pace
  QCOMPARE(PaceText(en, 50, 100, 10, 4'000), QStringLiteral("50 %, about 5 s left"));

  QCOMPARE(PaceText(TestLanguage(false), 50, 100, 10, 4'000).left(4), QStringLiteral("50 %"));
}

void ProgressPanelTest::AStillBarSaysTheDeviceIsWaitedFor() {
  ProgressPanel* panel = m_window->Progress();
  m_window->ShowProgress();
  m_window->SetProgressRange(97);
  m_window->SetProgressPos(1);
  // The device's pause after an upgrade's first packet: the bar cannot move for seconds.
  QTRY_VERIFY_WITH_TIMEOUT(panel->PaceLine()->text().startsWith("Waiting for the device"), 3000);
  m_window->SetProgressPos(2);
  QVERIFY(!panel->PaceLine()->text().startsWith("Waiting"));
}

void ProgressPanelTest::CancelAsksTheOperationToStop() {
  std::atomic<bool> stopped{false};
  QVERIFY(m_window->StartOperation([&] {
    Feedback& fb = m_window->GetFeedback();
    fb.ShowProgress();
    while (!fb.CancelRequested()) QThread::msleep(5);
    stopped = true;
    fb.CloseProgress();
  }));
  QTRY_VERIFY(m_window->Progress()->isVisible());
  QTest::keyClick(m_window.get(), Qt::Key_Escape);
  QTRY_VERIFY_WITH_TIMEOUT(stopped.load(), 1000);
  QVERIFY(m_window->isVisible());  // Escape stopped the operation, not the window
  QTRY_VERIFY(!m_window->Runner().IsBusy());
}

QTEST_MAIN(ProgressPanelTest)
#include "tst_progress.moc"
