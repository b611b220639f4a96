// The history view: entries newest first with whatever they hold shown escaped, the unit and day
// filters, a history that cannot be read told apart from an empty one, and a long history read
// without stopping the window.

#include <sys/stat.h>

#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QDir>
#include <QElapsedTimer>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLabel>
#include <QTableView>
#include <QTemporaryDir>
#include <QtTest>

#include "app/HistoryView.h"
#include "gui/ViewChecks.h"
#include "ops/FaultTexts.h"
#include "support/Languages.h"

using namespace quorvin;
using namespace quorvin::test;

namespace {

QByteArray Line(const QDateTime& time, const QString& unit, const QString& operation = QStringLiteral("version"),
                int ms = 12) {
  const QJsonObject e{{QStringLiteral("time"), time.toUTC().toString(Qt::ISODateWithMs)},
                      {QStringLiteral("program"), QStringLiteral("quorvinctl")},
                      {QStringLiteral("operation"), operation},
                      {QStringLiteral("link"), QStringLiteral("usb")},
                      {QStringLiteral("unit"), unit},
                      {QStringLiteral("outcome"), QStringLiteral("Success")},
                      {QStringLiteral("ms"), ms}};
  return QJsonDocument(e).toJson(QJsonDocument::Compact) + '\n';
}

bool WriteHistory(const QByteArray& text) {
  QDir().mkpath(QFileInfo(HistoryPath()).path());
  QFile file(HistoryPath());
  return file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(text) == text.size() && file.flush();
}

QString Cell(HistoryView& view, int row, int column) {
  return view.Table()->model()->index(row, column).data().toString();
}

QString Status(HistoryView& view) { return view.findChild<QLabel*>(QStringLiteral("historyStatus"))->text(); }

void Load(HistoryView& view) {
  view.Refresh();
  QTRY_VERIFY(!view.Busy());
}

}  // namespace

class HistoryViewTest : public QObject {
  Q_OBJECT
 private slots:
  void init();
  void ShowsNewestFirstWithEveryCellEscaped();
  void FiltersByUnitAndByDay();
  void AHistoryThatCannotBeReadIsNotAnEmptyOne();
  void ALongHistoryKeepsTheWindowResponsive();
  void NamedReachableAndFitsInBothLanguages_data();
  void NamedReachableAndFitsInBothLanguages();

 private:
  std::unique_ptr<QTemporaryDir> m_dir;
};

void HistoryViewTest::init() {
  m_dir = std::make_unique<QTemporaryDir>();
  qputenv("XDG_STATE_HOME", m_dir->path().toUtf8());
}

void HistoryViewTest::ShowsNewestFirstWithEveryCellEscaped() {
  const QDateTime t = QDateTime::currentDateTimeUtc().addDays(-1);
  // Written out of time order (two programs, a clock set back); a torn line and a forged one.
  QByteArray text = Line(t.addSecs(10), QStringLiteral("/dev/hidraw1"), QStringLiteral("upgrade"), 900);
  text += Line(t, QStringLiteral("/dev/hidraw0"));
  text += "{\"time\":\"2026-01-0\n";
  text += Line(t.addSecs(20), QStringLiteral("sn:X\n\x1b[2J\u202e"), QStringLiteral("back\\up"));
  QVERIFY(WriteHistory(text));
  HistoryView view(TestLanguage(true));
  Load(view);
  QCOMPARE(view.TotalCount(), 3);
  QCOMPARE(view.ShownCount(), 3);
  QCOMPARE(Cell(view, 0, HistoryView::kUnit), QStringLiteral("sn:X\\x0a\\x1b[2J\\u{202e}"));
  QCOMPARE(Cell(view, 0, HistoryView::kOperation), QStringLiteral("back\\\\up"));
  QCOMPARE(Cell(view, 1, HistoryView::kOperation), QStringLiteral("upgrade"));
  QCOMPARE(Cell(view, 1, HistoryView::kMs), QStringLiteral("900"));
  QCOMPARE(Cell(view, 2, HistoryView::kTime), t.toLocalTime().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")));
  QVERIFY2(Status(view).contains(QStringLiteral("left out: 1")), qPrintable(Status(view)));
  // The units of the history to choose from, escaped as in the table.
  auto* units = view.findChild<QComboBox*>(QStringLiteral("historyUnit"));
  QCOMPARE(units->count(), 4);
  QCOMPARE(units->itemText(3), QStringLiteral("sn:X\\x0a\\x1b[2J\\u{202e}"));

  view.SetLanguage(TestLanguage(false));
  QCOMPARE(units->itemText(0), TestLanguage(false).Text("All units"));
  QCOMPARE(view.Table()->model()->headerData(HistoryView::kUnit, Qt::Horizontal).toString(),
           TestLanguage(false).Text("Unit"));
}

void HistoryViewTest::FiltersByUnitAndByDay() {
  const QDateTime noon(QDate::currentDate().addDays(-10), QTime(12, 0));  // local
  QByteArray text;
  for (int day = 0; day < 5; ++day) {
    text += Line(noon.addDays(day), QStringLiteral("/dev/hidraw0"));
    text += Line(noon.addDays(day).addSecs(60), QStringLiteral("ttyUSB0"));
  }
  QVERIFY(WriteHistory(text));
  HistoryView view(TestLanguage(true));
  Load(view);
  QCOMPARE(view.ShownCount(), 10);
  auto* units = view.findChild<QComboBox*>(QStringLiteral("historyUnit"));
  units->setCurrentIndex(units->findData(QStringLiteral("ttyUSB0")));
  QCOMPARE(view.ShownCount(), 5);
  for (int row = 0; row < 5; ++row) QCOMPARE(Cell(view, row, HistoryView::kUnit), QStringLiteral("ttyUSB0"));

  // Days 1 to 3, both ends included; the unit filter still holds.
  auto* from = view.findChild<QDateEdit*>(QStringLiteral("historyFrom"));
  auto* to = view.findChild<QDateEdit*>(QStringLiteral("historyTo"));
  QCOMPARE(from->date(), noon.date());  // the unset bounds follow the history
  QCOMPARE(to->date(), noon.date().addDays(4));
  view.findChild<QCheckBox*>(QStringLiteral("historyFromOn"))->setChecked(true);
  view.findChild<QCheckBox*>(QStringLiteral("historyToOn"))->setChecked(true);
  from->setDate(noon.date().addDays(1));
  to->setDate(noon.date().addDays(3));
  QCOMPARE(view.ShownCount(), 3);
  units->setCurrentIndex(0);
  QCOMPARE(view.ShownCount(), 6);

  // A refresh keeps the choices.
  QVERIFY(WriteHistory(text + Line(noon.addDays(2), QStringLiteral("ttyUSB0"))));
  Load(view);
  QCOMPARE(view.ShownCount(), 7);
  QCOMPARE(from->date(), noon.date().addDays(1));
  QVERIFY2(Status(view).startsWith(QStringLiteral("7 of 11 entries shown")), qPrintable(Status(view)));
}

void HistoryViewTest::AHistoryThatCannotBeReadIsNotAnEmptyOne() {
  {
    HistoryView view(TestLanguage(true));
    Load(view);
    QVERIFY2(Status(view).startsWith(QStringLiteral("No history yet")), qPrintable(Status(view)));
    QVERIFY(Status(view).contains(HistoryPath()));
  }
  // A FIFO at the history's path: refused without waiting for a writer, and said so.
  QVERIFY(QDir().mkpath(QFileInfo(HistoryPath()).path()));
  QCOMPARE(::mkfifo(QFile::encodeName(HistoryPath()).constData(), 0600), 0);
  const Language lang = TestLanguage(false);
  HistoryView view(lang);
  Load(view);
  FileProblem problem;
  problem.kind = FileProblem::Kind::NotRegular;
  QVERIFY2(Status(view).contains(FileProblemText(lang, problem)), qPrintable(Status(view)));
  QVERIFY(Status(view).contains(HistoryPath()));
  QVERIFY(!view.Table()->isVisibleTo(&view));
}

void HistoryViewTest::ALongHistoryKeepsTheWindowResponsive() {
  constexpr int kEntries = 100000;
  const QDateTime start = QDateTime::currentDateTimeUtc().addDays(-400);
  QByteArray text;
  text.reserve(kEntries * 200);
  for (int i = 0; i < kEntries; ++i)
    text += Line(start.addSecs(i * 300), QStringLiteral("/dev/hidraw%1").arg(i % 7), QStringLiteral("version"), i);
  QVERIFY(WriteHistory(text));
  HistoryView view(TestLanguage(true));
  view.resize(800, 500);
  view.show();  // the first showing reads it
  QVERIFY(QTest::qWaitForWindowExposed(&view));
  QElapsedTimer clock;
  clock.start();
  const qint64 longestGap = LongestStall([&] { return view.Busy(); });
  qInfo("100000 entries read in %lld ms; the window stood still for %lld ms at most", clock.elapsed(), longestGap);
  QVERIFY2(longestGap < 250, qPrintable(QString::number(longestGap)));
  QCOMPARE(view.ShownCount(), kEntries);
  QCOMPARE(Cell(view, 0, HistoryView::kMs), QString::number(kEntries - 1));
  QElapsedTimer filtering;
  filtering.start();
  auto* units = view.findChild<QComboBox*>(QStringLiteral("historyUnit"));
  units->setCurrentIndex(units->findData(QStringLiteral("/dev/hidraw3")));
  QApplication::processEvents();
  qInfo("filtered by unit in %lld ms", filtering.elapsed());
  QVERIFY2(filtering.elapsed() < 250, qPrintable(QString::number(filtering.elapsed())));
  QCOMPARE(view.ShownCount(), kEntries / 7 + (kEntries % 7 > 3 ? 1 : 0));
}

void HistoryViewTest::NamedReachableAndFitsInBothLanguages_data() { BothLanguages(); }

void HistoryViewTest::NamedReachableAndFitsInBothLanguages() {
  QFETCH(bool, english);
  QVERIFY(WriteHistory(Line(QDateTime::currentDateTimeUtc(), QStringLiteral("/dev/hidraw0"))));
  HistoryView view(TestLanguage(!english));
  view.SetLanguage(TestLanguage(english));
  Load(view);
  // The day fields take part once their boxes are ticked.
  view.findChild<QCheckBox*>(QStringLiteral("historyFromOn"))->setChecked(true);
  view.findChild<QCheckBox*>(QStringLiteral("historyToOn"))->setChecked(true);
  CheckUsable(&view);
}

QTEST_MAIN(HistoryViewTest)
#include "tst_history_view.moc"
