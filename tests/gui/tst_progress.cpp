// The progress window's life over repeated operations (created, reused, destroyed, created again
// empty), where it sits, and the colours it is actually painted in.

#include <QLabel>
#include <QPointer>
#include <QProgressBar>
#include <QtTest>

#include "app/MainWindow.h"
#include "app/ProgressWindow.h"
#include "gui/GuiSupport.h"
#include "host/Clock.h"
#include "support/Languages.h"

using namespace quorvin;
using namespace quorvin::test;

namespace {

WindowOptions Options(bool english) {
  WindowOptions o;
  o.language = TestLanguage(english);
  o.startTimers = false;
  return o;
}

QColor PixelAt(QWidget* w, QPoint p) { return w->grab().toImage().pixelColor(p * w->devicePixelRatioF()); }

}  // namespace

class ProgressWindowTest : public QObject {
  Q_OBJECT
 private slots:
  void init();
  void cleanup();
  void LifecycleCreateReuseDestroyRecreate();
  void RangeAndPositionStayConsistent();
  void CloseGivesTheMainWindowBackItsFocus();
  void PaintedInTheToolsColours();

 private:
  EmptyHid m_hid;
  RealClock m_clock;
  std::unique_ptr<MainWindow> m_dlg;
};

void ProgressWindowTest::init() {
  m_dlg = std::make_unique<MainWindow>(m_hid, m_clock, Options(true));
  m_dlg->show();
  QVERIFY(QTest::qWaitForWindowExposed(m_dlg.get()));
}

void ProgressWindowTest::cleanup() { m_dlg.reset(); }

void ProgressWindowTest::LifecycleCreateReuseDestroyRecreate() {
  QVERIFY(!m_dlg->ProgressDlg());
  m_dlg->ShowProgress();
  QPointer<ProgressWindow> first = m_dlg->ProgressDlg();
  QVERIFY(first);
  QVERIFY(first->isVisible());
  QCOMPARE(first->Bar()->minimum(), 0);
  QCOMPARE(first->Bar()->maximum(), 3);
  QCOMPARE(first->Bar()->value(), 0);
  QVERIFY(first->TextLine()->text().isEmpty());
  QCOMPARE(first->parentWidget(), m_dlg.get());
  QVERIFY(!first->isModal());
  QVERIFY(first->windowFlags() & Qt::FramelessWindowHint);

  m_dlg->SetProgressText("step 1");
  m_dlg->SetProgressRange(10);
  m_dlg->SetProgressPos(7);
  m_dlg->ShowProgress();
  QCOMPARE(m_dlg->ProgressDlg(), first.data());
  QCOMPARE(m_dlg->findChildren<ProgressWindow*>().size(), 1);
  QCOMPARE(first->Bar()->maximum(), 3);
  QCOMPARE(first->TextLine()->text(), QStringLiteral("step 1"));

  m_dlg->CloseProgress();
  QVERIFY(!m_dlg->ProgressDlg());
  QVERIFY(first.isNull());
  QVERIFY(m_dlg->findChildren<ProgressWindow*>().isEmpty());
  // Updates with no progress window change nothing and do not bring one back.
  m_dlg->SetProgressText("late");
  m_dlg->SetProgressPos(2);
  QVERIFY(!m_dlg->ProgressDlg());

  m_dlg->ShowProgress();
  QVERIFY(m_dlg->ProgressDlg());
  QVERIFY(m_dlg->ProgressDlg()->TextLine()->text().isEmpty());
  QCOMPARE(m_dlg->ProgressPos(), 0);
  QCOMPARE(m_dlg->ProgressDlg()->Bar()->maximum(), 3);
  m_dlg->CloseProgress();
}

void ProgressWindowTest::RangeAndPositionStayConsistent() {
  m_dlg->ShowProgress();
  m_dlg->SetProgressRange(10000);
  m_dlg->SetProgressPos(2500);
  QCOMPARE(m_dlg->ProgressPos(), 2500);
  // Past either end, the bar stops at that end instead of dropping the position.
  m_dlg->SetProgressPos(12000);
  QCOMPARE(m_dlg->ProgressPos(), 10000);
  m_dlg->SetProgressPos(-5);
  QCOMPARE(m_dlg->ProgressPos(), 0);
  m_dlg->SetProgressPos(9000);
  m_dlg->ShowProgress();  // range back to 0..3 with the window kept
  QCOMPARE(m_dlg->ProgressPos(), 3);
  m_dlg->SetProgressRange(65535);
  m_dlg->SetProgressPos(65535);
  QCOMPARE(m_dlg->ProgressPos(), 65535);
  m_dlg->CloseProgress();
  QCOMPARE(m_dlg->ProgressPos(), 0);
}

void ProgressWindowTest::CloseGivesTheMainWindowBackItsFocus() {
  m_dlg->ShowProgress();
  m_dlg->ProgressDlg()->activateWindow();
  m_dlg->setEnabled(false);
  m_dlg->CloseProgress();
  QVERIFY(m_dlg->isEnabled());
  QTRY_COMPARE(QApplication::activeWindow(), static_cast<QWidget*>(m_dlg.get()));
}

void ProgressWindowTest::PaintedInTheToolsColours() {
  m_dlg->ShowProgress();
  ProgressWindow* p = m_dlg->ProgressDlg();
  QVERIFY(QTest::qWaitForWindowExposed(p));
  // Centred over the main window.
  QVERIFY((p->frameGeometry().center() - m_dlg->frameGeometry().center()).manhattanLength() <= 2);

  const QRect bar = p->Bar()->geometry();
  const QRect text = p->TextLine()->geometry();
  // Background between the bar and the text, the empty bar's inside.
  QCOMPARE(PixelAt(p, QPoint(bar.left() + 4, bar.bottom() + 4)), QColor(10, 100, 120));
  QCOMPARE(PixelAt(p, bar.center()), QColor(20, 20, 20));
  QCOMPARE(PixelAt(p, QPoint(0, 0)), QColor(Qt::black));  // the thin border

  // A solid block glyph shows the text colour.
  p->SetText(QString(8, QChar(0x2588)));
  const QImage img = p->grab().toImage();
  bool textColourSeen = false;
  for (int x = text.left(); x < text.left() + 40 && !textColourSeen; ++x)
    for (int y = text.top(); y <= text.bottom(); ++y)
      if (img.pixelColor(QPoint(x, y) * p->devicePixelRatioF()) == QColor(200, 200, 200)) textColourSeen = true;
  QVERIFY(textColourSeen);

  // A full bar is no longer the background colour.
  m_dlg->SetProgressPos(3);
  QVERIFY(PixelAt(p, p->Bar()->geometry().center()) != QColor(20, 20, 20));
  m_dlg->CloseProgress();
}

QTEST_MAIN(ProgressWindowTest)
#include "tst_progress.moc"
