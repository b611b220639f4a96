// The main window as a technician meets it, with no repeater attached: its title and labels in
// both languages, a keyboard that cannot change a unit by accident, a name and a tip on every
// control, a size that fits a small screen, the serial link's limits said where they apply, and
// Escape that closes an idle window once.

#include <QAbstractButton>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QSettings>
#include <QTemporaryDir>
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

WindowOptions Options(std::optional<bool> english, bool demo = false) {
  WindowOptions o;
  if (english) o.language = TestLanguage(*english);
  o.startTimers = false;
  o.demo = demo;
  return o;
}

QString Text(const MainWindow& w, int id) {
  QWidget* c = w.Control(id);
  if (auto* b = qobject_cast<QAbstractButton*>(c)) return QString(b->text()).remove(QLatin1Char('&'));
  if (auto* l = qobject_cast<QLabel*>(c)) return l->text();
  return {};
}

}  // namespace

class MainWindowTest : public QObject {
  Q_OBJECT
 private slots:
  void init();
  void cleanup();
  void OneTitleAndLabelsThatSayWhatTheyDo();
  void AKeyboardCannotChangeAUnitByAccident();
  void EveryControlHasANameAndATip();
  void ItFitsASmallScreenAndCanBeResized();
  void TheSerialLinkSaysWhatItCannotDo();
  void TheLanguageChangesAtOnceAndIsRemembered();
  void EscapeClosesAnIdleWindowOnce();

 private:
  EmptyHid m_hid;
  RealClock m_clock;
};

void MainWindowTest::init() { ResetSettings(); }

void MainWindowTest::cleanup() {}

void MainWindowTest::OneTitleAndLabelsThatSayWhatTheyDo() {
  MainWindow en(m_hid, m_clock, Options(true));
  MainWindow zh(m_hid, m_clock, Options(false, /*demo=*/true));
  // One product name in both languages; the demo says it is one.
  QCOMPARE(en.windowTitle(), QStringLiteral("Quorvin Setup 1.0.0"));
  QVERIFY2(zh.windowTitle().startsWith(QStringLiteral("Quorvin ")), qPrintable(zh.windowTitle()));
  QVERIFY(zh.windowTitle().endsWith(QString::fromUtf8("（演示）")));
  // The button that reads the frequency says it reads, and the field's label speaks English.
  QCOMPARE(Text(en, ctl::ReadFrequency), QStringLiteral("Read Frequency"));
  QCOMPARE(Text(en, ctl::SetFrequency), QStringLiteral("Setup Frequency"));
  const QLabel* label = nullptr;
  for (const QLabel* l : en.findChildren<QLabel*>())
    if (l->buddy() == en.Operations()->FrequencyField()) label = l;
  QVERIFY(label);
  QCOMPARE(QString(label->text()).remove(QLatin1Char('&')), QStringLiteral("Frequency:"));
  QCOMPARE(Text(zh, ctl::ReadFrequency).left(4), QString::fromUtf8("回读频率"));
  QCOMPARE(Text(zh, ctl::Upgrade).left(2), QString::fromUtf8("升级"));
  // Nothing was read yet, so the field shows no frequency the unit may not hold.
  QVERIFY(en.Operations()->FrequencyField()->text().isEmpty());
  QCOMPARE(en.Operations()->FrequencyField()->placeholderText(), QStringLiteral("not read yet"));
}

void MainWindowTest::AKeyboardCannotChangeAUnitByAccident() {
  MainWindow w(m_hid, m_clock, Options(true));
  QStringList asked;
  w.SetAsker(std::make_unique<FakeAsker>(Consent::Go, &asked));
  w.show();
  QVERIFY(QTest::qWaitForWindowExposed(&w));
  // The first focus is on no button, and no button is pressed by Enter.
  QVERIFY(!qobject_cast<QPushButton*>(QApplication::focusWidget()));
  for (QPushButton* b : w.findChildren<QPushButton*>()) {
    QVERIFY2(!b->isDefault() && !b->autoDefault(), qPrintable(b->objectName()));
    QVERIFY2(b->text().contains(QLatin1Char('&')), qPrintable(b->text()));  // its Alt+letter
  }
  QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
  QTest::keyClick(QApplication::focusWidget(), Qt::Key_Space);
  QVERIFY(!w.Runner().IsBusy());
  QVERIFY(asked.isEmpty());
  // Tab goes through the panel as it is laid out, row by row.
  QList<int> order;
  QWidget* start = w.Operations()->FrequencyField();
  QWidget* it = start;
  do {
    const QString name = it->objectName();
    if (name.startsWith(QLatin1String("ctl")) && (it->focusPolicy() & Qt::TabFocus)) order << name.mid(3).toInt();
    it = it->nextInFocusChain();
  } while (it != start && order.size() < 12);
  QCOMPARE(order.mid(0, 8),
           (QList<int>{ctl::Frequency, ctl::SetFrequency, ctl::ReadFrequency, ctl::Upgrade, ctl::ReadVersion,
                       ctl::InitCallButtons, ctl::BackupDownload, ctl::BackupReadBack}));
}

void MainWindowTest::EveryControlHasANameAndATip() {
  for (bool english : {true, false}) {
    MainWindow w(m_hid, m_clock, Options(english));
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    for (QWidget* widget : w.findChildren<QWidget*>()) {
      if (!widget->isVisibleTo(&w) || widget->focusPolicy() == Qt::NoFocus) continue;
      // Parts of a control that the control names (a date field's own line edit), and the frames
      // around the content, carry no name of their own.
      if (qobject_cast<QScrollBar*>(widget) || widget->inherits("QScrollArea") || widget->inherits("QMenuBar") ||
          widget->objectName() == QLatin1String("qt_spinbox_lineedit"))
        continue;
      QVERIFY2(!widget->accessibleName().isEmpty(),
               qPrintable(widget->objectName() + " " + widget->metaObject()->className()));
      if (qobject_cast<QAbstractButton*>(widget) || qobject_cast<QComboBox*>(widget) ||
          qobject_cast<QLineEdit*>(widget))
        QVERIFY2(!widget->toolTip().isEmpty(), qPrintable(widget->objectName()));
    }
  }
}

void MainWindowTest::ItFitsASmallScreenAndCanBeResized() {
  for (bool english : {true, false}) {
    MainWindow w(m_hid, m_clock, Options(english));
    // 1024x600 at twice the scale leaves about 512x300 for the window, its frame and a panel.
    const QSize least = w.minimumSizeHint().expandedTo(w.minimumSize());
    QVERIFY2(least.width() <= 500 && least.height() <= 280,
             qPrintable(QStringLiteral("%1x%2").arg(least.width()).arg(least.height())));
    QVERIFY(w.maximumSize().width() > 2000);  // not a fixed size
  }
}

void MainWindowTest::TheSerialLinkSaysWhatItCannotDo() {
  MainWindow w(m_hid, m_clock, Options(true));
  w.LinkChoice()->SetPorts({"COM3", "COM1", "ttyUSB0"});
  auto* ports = w.LinkChoice()->PortBox();
  QCOMPARE(ports->itemText(0), QStringLiteral("COM3"));  // the system's order, not sorted
  QCOMPARE(ports->itemText(2), QStringLiteral("ttyUSB0"));
  w.LinkChoice()->SerialButton()->setChecked(true);
  for (int id : {ctl::SetFrequency, ctl::ReadFrequency, ctl::InitCallButtons}) {
    QVERIFY(!w.Control(id)->isEnabled());
    QCOMPARE(w.Control(id)->toolTip(), QStringLiteral("Works over USB only: the serial link has no command for it"));
  }
  for (int id : {ctl::Upgrade, ctl::ReadVersion, ctl::BackupDownload, ctl::BackupReadBack})
    QVERIFY(w.Control(id)->isEnabled());
  // Remembered for the next start, with the port.
  w.LinkChoice()->ChoosePort("COM1");
  MainWindow again(m_hid, m_clock, Options(true));
  QVERIFY(again.LinkChoice()->Serial());
  again.ApplySight({{}, DiscoveryFault::None, QStringList{"COM3", "COM1"}});
  QCOMPARE(again.LinkChoice()->Port(), QStringLiteral("COM1"));
}

void MainWindowTest::TheLanguageChangesAtOnceAndIsRemembered() {
  {
    MainWindow w(m_hid, m_clock, Options(std::nullopt));
    w.findChild<QAction*>("actionChinese")->trigger();
    QVERIFY(!w.English());
    QCOMPARE(Text(w, ctl::Upgrade).left(2), QString::fromUtf8("升级"));
    QCOMPARE(w.findChild<QMenu*>("menuFile")->title().left(2), QString::fromUtf8("文件"));
  }
  MainWindow next(m_hid, m_clock, Options(std::nullopt));
  QVERIFY(!next.English());
  next.findChild<QAction*>("actionEnglish")->trigger();
  QCOMPARE(Text(next, ctl::Upgrade), QStringLiteral("Upgrade"));
}

void MainWindowTest::EscapeClosesAnIdleWindowOnce() {
  MainWindow w(m_hid, m_clock, Options(true));
  w.show();
  QVERIFY(QTest::qWaitForWindowExposed(&w));
  QTest::keyClick(&w, Qt::Key_Escape);
  QVERIFY(!w.isVisible());
}

QTEST_MAIN(MainWindowTest)
#include "tst_mainwindow.moc"
