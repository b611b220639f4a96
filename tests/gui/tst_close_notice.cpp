// Closing the window during an operation: the technician is told, in the window's language, that
// the window will close when the operation ends; the notice waits for no answer, so neither the
// window nor the operation stops for it, and it goes with the window.

#include <QMessageBox>
#include <QThread>
#include <QtTest>
#include <atomic>

#include "app/MainWindow.h"
#include "app/ProgressWindow.h"
#include "gui/GuiSupport.h"
#include "host/Clock.h"
#include "support/Languages.h"

using namespace quorvin;
using namespace quorvin::test;

class CloseNoticeTest : public QObject {
  Q_OBJECT
 private slots:
  void CloseDuringAnOperationIsAnnouncedWithoutHoldingIt_data();
  void CloseDuringAnOperationIsAnnouncedWithoutHoldingIt();
};

void CloseNoticeTest::CloseDuringAnOperationIsAnnouncedWithoutHoldingIt_data() {
  QTest::addColumn<bool>("english");
  QTest::addColumn<QString>("text");
  QTest::newRow("en") << true << QStringLiteral("The window will close when the operation ends.");
  QTest::newRow("zh") << false << QString::fromUtf8("操作结束后窗口将关闭。");
}

void CloseNoticeTest::CloseDuringAnOperationIsAnnouncedWithoutHoldingIt() {
  QFETCH(bool, english);
  QFETCH(QString, text);
  EmptyHid hid;
  RealClock clock;
  WindowOptions options;
  options.language = TestLanguage(english);
  options.startTimers = false;
  MainWindow dlg(hid, clock, options);
  dlg.show();
  QVERIFY(QTest::qWaitForWindowExposed(&dlg));

  std::atomic<bool> release{false};
  std::atomic<int> stepsAfterClose{0};
  std::atomic<bool> closed{false};
  QVERIFY(dlg.StartOperation([&] {
    Feedback& fb = dlg.GetFeedback();
    fb.ShowProgress();
    while (!release) {
      if (closed) ++stepsAfterClose;
      QThread::msleep(2);
    }
    fb.CloseProgress();
  }));
  QTRY_VERIFY(dlg.ProgressDlg() && dlg.ProgressDlg()->isVisible());

  dlg.close();
  closed = true;
  dlg.close();  // a second click brings up no second notice
  QMessageBox* notice = dlg.ClosePendingNotice();
  QVERIFY(notice);
  QCOMPARE(dlg.findChildren<QMessageBox*>().size(), 1);
  QTRY_VERIFY(notice->isVisible());
  QCOMPARE(notice->text(), text);
  QVERIFY(!notice->isModal());
  QVERIFY(!QApplication::activeModalWidget());
  // It leaves the progress bar in sight.
  QVERIFY(notice->frameGeometry().top() > dlg.ProgressDlg()->frameGeometry().bottom());
  // The operation runs on and the window still answers while the notice is up.
  QTRY_VERIFY(stepsAfterClose > 20);
  QVERIFY(dlg.isVisible());

  release = true;
  QTRY_VERIFY(!dlg.isVisible());
  QTRY_VERIFY(!dlg.ClosePendingNotice());
}

QTEST_MAIN(CloseNoticeTest)
#include "tst_close_notice.moc"
