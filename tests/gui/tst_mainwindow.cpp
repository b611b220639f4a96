// The main window as the technician meets it: labels and title in both languages, the initial
// state of every control, the layout on the template's grid, the frequency field's checks, the
// serial port list, and how the window may and may not be closed.

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QtTest>

#include "app/MainWindow.h"
#include "app/WindowLayout.h"
#include "gui/GuiSupport.h"
#include "host/Clock.h"
#include "support/Languages.h"

using namespace quorvin;
using namespace quorvin::test;

namespace {

struct Window {
  explicit Window(bool english) : dlg(hid, clock, Options(english)) {}
  static WindowOptions Options(bool english) {
    WindowOptions o;
    o.language = TestLanguage(english);
    o.startTimers = false;
    return o;
  }
  QString Text(int id) const {
    QWidget* w = dlg.Control(id);
    if (auto* b = qobject_cast<QAbstractButton*>(w)) return b->text();
    if (auto* l = qobject_cast<QLabel*>(w)) return l->text();
    return {};
  }
  QLineEdit* Edit() const { return qobject_cast<QLineEdit*>(dlg.Control(ctl::Frequency)); }
  EmptyHid hid;
  RealClock clock;
  MainWindow dlg;
};

}  // namespace

class MainWindowTest : public QObject {
  Q_OBJECT
 private slots:
  void LabelsAndTitleFollowTheLanguage_data();
  void LabelsAndTitleFollowTheLanguage();
  void InitialState();
  void ControlsSitOnTheTemplateGrid();
  void FrequencyOutsideTheRangeIsRefused_data();
  void FrequencyOutsideTheRangeIsRefused();
  void FrequencyAtTheBoundsIsTaken();
  void PortListKeepsTheSystemOrder();
  void EnterInTheFrequencyFieldKeepsTheWindow();
  void EscapeAndCloseBoxCloseWhenIdle();
};

void MainWindowTest::LabelsAndTitleFollowTheLanguage_data() {
  QTest::addColumn<bool>("english");
  QTest::addColumn<QString>("title");
  QTest::addColumn<QStringList>("labels");  // 1009 1010 1008 1003 1004 1006 1007 1012 1011 1014
  QTest::newRow("english") << true << QStringLiteral("Setup System V1.0")
                           << QStringList{"COM:",
                                          "Rate:",
                                          "USB Operation",
                                          "Upgrade",
                                          "Read The Version",
                                          "Download The Backup Data",
                                          "Upload The Backup Data",
                                          "Write Frequency",
                                          "Setup Frequency",
                                          "Initialize call button data"};
  QTest::newRow("chinese") << false << QStringLiteral("Quorvin V1.0")
                           << QStringList{QString::fromUtf8("串口号:"),      QString::fromUtf8("波特率"),
                                          QString::fromUtf8("USB操作"),      QString::fromUtf8("升级"),
                                          QString::fromUtf8("读取版本号"),   QString::fromUtf8("下载备份数据"),
                                          QString::fromUtf8("回读备份数据"), QString::fromUtf8("回读频率"),
                                          QString::fromUtf8("设置频率"),     QString::fromUtf8("初始化呼叫器数据")};
}

void MainWindowTest::LabelsAndTitleFollowTheLanguage() {
  QFETCH(bool, english);
  QFETCH(QString, title);
  QFETCH(QStringList, labels);
  Window w(english);
  QCOMPARE(w.dlg.English(), english);
  QCOMPARE(w.dlg.windowTitle(), title);
  const int ids[] = {1009, 1010, 1008, 1003, 1004, 1006, 1007, 1012, 1011, 1014};
  for (int i = 0; i < 10; ++i) QCOMPARE(w.Text(ids[i]), labels[i]);
  // The two plain labels keep their own text in either language.
  QCOMPARE(w.dlg.findChild<QLabel*>("ctlFreqLabel")->text(), QString::fromUtf8("频率:"));
  QCOMPARE(w.dlg.findChild<QLabel*>("ctlHzLabel")->text(), QStringLiteral("Hz"));
}

void MainWindowTest::InitialState() {
  Window w(true);
  QCOMPARE(w.Edit()->text(), QStringLiteral("315600000"));
  QVERIFY(w.Edit()->alignment() & Qt::AlignRight);
  QCOMPARE(w.dlg.Frequency(), 315600000);

  auto* speed = qobject_cast<QComboBox*>(w.dlg.Control(ctl::ComboSpeed));
  QVERIFY(speed->isEditable());
  QCOMPARE(speed->count(), 3);
  QCOMPARE(speed->itemText(0), QStringLiteral("9600"));
  QCOMPARE(speed->itemText(1), QStringLiteral("57600"));
  QCOMPARE(speed->currentText(), QStringLiteral("115200"));
  QVERIFY(qobject_cast<QComboBox*>(w.dlg.Control(ctl::ComboPort))->isEditable());

  QVERIFY(qobject_cast<QCheckBox*>(w.dlg.Control(ctl::UsbOperation))->isChecked());
  QVERIFY(w.dlg.UsbSelected());

  w.dlg.show();
  QVERIFY(QTest::qWaitForWindowExposed(&w.dlg));
  for (int id : {1009, 1002, 1010, 1005, 1008})
    QVERIFY2(!w.dlg.Control(id)->isVisible(), qPrintable(QString::number(id)));
  for (int id : {1003, 1004, 1006, 1007, 1011, 1012, 1013, 1014}) QVERIFY(w.dlg.Control(id)->isVisible());

  // Tab order: the template's order, over the controls that take the focus and are shown.
  QList<int> order;
  QWidget* start = w.dlg.Control(ctl::Upgrade);
  QWidget* it = start;
  do {
    if (it->isVisible() && (it->focusPolicy() & Qt::TabFocus) && it->property("controlId").isValid())
      order << it->property("controlId").toInt();
    it = it->nextInFocusChain();
  } while (it != start && order.size() < 20);
  QCOMPARE(order, (QList<int>{1003, 1004, 1006, 1007, 1011, 1012, 1013, 1014}));

  // Its icon, big and small, is built in.
  QVERIFY(w.dlg.windowIcon().availableSizes().contains(QSize(16, 16)));
  QVERIFY(w.dlg.windowIcon().availableSizes().contains(QSize(32, 32)));

  // Fixed size, no minimise or maximise box.
  QCOMPARE(w.dlg.minimumSize(), w.dlg.maximumSize());
  QVERIFY(!(w.dlg.windowFlags() & Qt::WindowMinimizeButtonHint));
  QVERIFY(!(w.dlg.windowFlags() & Qt::WindowMaximizeButtonHint));
}

void MainWindowTest::ControlsSitOnTheTemplateGrid() {
  Window w(true);
  const DialogUnits units = MainWindowUnits(w.dlg.font());
  QVERIFY(units.BaseX() > 0 && units.BaseY() > 0);
  // The template's size, and one line more for the status strip under the buttons.
  QCOMPARE(w.dlg.size(), QSize(units.X(331), units.Y(190) + w.dlg.fontMetrics().height()));
  // Right-aligned labels that grew to fit keep their right edge where the template put it.
  for (int id : {ctl::LabelPort, ctl::LabelSpeed}) {
    const ControlTemplate& tpl = *std::find_if(MainWindowTemplate().begin(), MainWindowTemplate().end(),
                                               [id](const ControlTemplate& t) { return t.id == id; });
    QCOMPARE(w.dlg.Control(id)->geometry().topRight(), units.Rect(tpl.du).topRight());
  }
  // Buttons of one row share their top edge, the two columns their width, and no visible control
  // leaves the window.
  QCOMPARE(w.dlg.Control(1011)->y(), w.dlg.Control(1012)->y());
  QCOMPARE(w.dlg.Control(1003)->width(), w.dlg.Control(1004)->width());
  for (QWidget* child : w.dlg.findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
    if (!child->isVisibleTo(&w.dlg)) continue;
    QVERIFY2(w.dlg.rect().contains(child->geometry()), qPrintable(child->objectName()));
  }
  // The plain labels show their whole text.
  for (const char* name : {"ctlFreqLabel", "ctlHzLabel"}) {
    auto* label = w.dlg.findChild<QLabel*>(name);
    QVERIFY(label->width() >= label->sizeHint().width());
  }
  // The scale follows the font: a 12-pixel font gives a window of about 500 x 285 pixels.
  const DialogUnits typical(6, 12);
  QCOMPARE(typical.Size(kMainWindowDu), QSize(497, 285));
  QCOMPARE(typical.Rect(QRect(169, 79, 151, 24)), QRect(254, 119, 227, 36));
}

void MainWindowTest::FrequencyOutsideTheRangeIsRefused_data() {
  QTest::addColumn<QString>("text");
  QTest::addColumn<bool>("rangePrompt");
  QTest::newRow("below") << "299999999" << true;
  QTest::newRow("above") << "900000001" << true;
  QTest::newRow("beyond 32 bits") << "4294967296" << true;  // a whole number, only out of range
  QTest::newRow("text") << "abc" << false;
  QTest::newRow("trailing letters") << "315600000Hz" << false;
  QTest::newRow("empty") << "" << false;
}

void MainWindowTest::FrequencyOutsideTheRangeIsRefused() {
  QFETCH(QString, text);
  QFETCH(bool, rangePrompt);
  // Chinese prompts are checked for the range prompt only: the rule is the same.
  for (bool english : {true, false}) {
    if (!english && !rangePrompt) continue;
    Window w(english);
    w.dlg.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w.dlg));
    w.Edit()->setText(text);
    w.dlg.Control(ctl::Upgrade)->setFocus();
    BoxAnswerer answerer;
    QVERIFY(!w.dlg.SaveFrequency());
    QCOMPARE(answerer.texts.size(), 1);
    const QString prompt = answerer.texts.first();
    QCOMPARE(prompt.contains("300000000") && prompt.contains("900000000"), rangePrompt);
    QCOMPARE(w.dlg.Frequency(), 315600000);
    // Back in the field with its text selected, ready to be typed over.
    QCOMPARE(w.dlg.focusWidget(), static_cast<QWidget*>(w.Edit()));
    QCOMPARE(w.Edit()->selectedText(), text);
  }
}

void MainWindowTest::FrequencyAtTheBoundsIsTaken() {
  Window w(true);
  BoxAnswerer answerer;
  for (qint32 hz : {300000000, 900000000, 433920000}) {
    w.Edit()->setText(QString::number(hz));
    QVERIFY(w.dlg.SaveFrequency());
    QCOMPARE(w.dlg.Frequency(), hz);
  }
  w.Edit()->setText(" 315600000 ");
  QVERIFY(w.dlg.SaveFrequency());
  QCOMPARE(w.dlg.Frequency(), 315600000);
  QVERIFY(answerer.texts.isEmpty());
}

void MainWindowTest::PortListKeepsTheSystemOrder() {
  Window w(true);
  auto* ports = qobject_cast<QComboBox*>(w.dlg.Control(ctl::ComboPort));
  w.dlg.FillPortList({"COM3", "COM1", "ttyUSB0"});
  QCOMPARE(ports->count(), 3);
  QCOMPARE(ports->itemText(0), QStringLiteral("COM3"));
  QCOMPARE(ports->itemText(1), QStringLiteral("COM1"));
  QCOMPARE(ports->itemText(2), QStringLiteral("ttyUSB0"));
  QCOMPARE(ports->currentIndex(), 0);
  QCOMPARE(ports->currentText(), QStringLiteral("COM3"));
  w.dlg.FillPortList({});
  QCOMPARE(ports->count(), 0);
  QCOMPARE(ports->currentIndex(), -1);
  QCOMPARE(ports->currentText(), QString());
}

void MainWindowTest::EnterInTheFrequencyFieldKeepsTheWindow() {
  Window w(true);
  w.dlg.show();
  QVERIFY(QTest::qWaitForWindowExposed(&w.dlg));
  w.Edit()->setFocus();
  BoxAnswerer answerer;
  w.Edit()->setText("433920000");
  QTest::keyClick(w.Edit(), Qt::Key_Return);
  QVERIFY(w.dlg.isVisible());
  QCOMPARE(w.dlg.Frequency(), 433920000);
  // A wrong value is still pointed out, and the window stays.
  w.Edit()->setText("12");
  QTest::keyClick(w.Edit(), Qt::Key_Enter);
  QCOMPARE(answerer.texts.size(), 1);
  QVERIFY(w.dlg.isVisible());
  QCOMPARE(w.dlg.result(), 0);
}

void MainWindowTest::EscapeAndCloseBoxCloseWhenIdle() {
  {
    Window w(true);
    w.dlg.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w.dlg));
    QTest::keyClick(&w.dlg, Qt::Key_Escape);
    QVERIFY(!w.dlg.isVisible());
  }
  {
    Window w(false);
    w.dlg.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w.dlg));
    QVERIFY(w.dlg.close());
    QVERIFY(!w.dlg.isVisible());
  }
}

QTEST_MAIN(MainWindowTest)
#include "tst_mainwindow.moc"
