// The snapshots view: every snapshot newest first with whether its backup is still the recorded
// one, restore offered for an intact one only and checked again at the click, an empty folder
// that says where snapshots live, and backups hashed without stopping the window.

#include <QCryptographicHash>
#include <QDir>
#include <QElapsedTimer>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLabel>
#include <QPushButton>
#include <QSignalSpy>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QtTest>

#include "app/SnapshotsView.h"
#include "gui/ViewChecks.h"
#include "support/Languages.h"

using namespace quorvin;
using namespace quorvin::test;

namespace {

// A snapshot folder as TakeSnapshot leaves it.
QString MakeSnapshot(const QString& name, const QDateTime& time, const QString& unit, qint32 frequency,
                     const QByteArray& backup) {
  const QString folder = SnapshotRoot() + QLatin1Char('/') + name;
  if (!QDir().mkpath(folder)) return {};
  QFile bin(folder + QStringLiteral("/backup.bin"));
  if (!bin.open(QIODevice::WriteOnly) || bin.write(backup) != backup.size()) return {};
  const QJsonObject info{
      {QStringLiteral("unit"), unit},
      {QStringLiteral("serial"), QStringLiteral("SN1")},
      {QStringLiteral("location"), QStringLiteral("1-2")},
      {QStringLiteral("time"), time.toUTC().toString(Qt::ISODateWithMs)},
      {QStringLiteral("version"), QStringLiteral("V2.1")},
      {QStringLiteral("frequency"), frequency},
      {QStringLiteral("backupSha256"),
       QString::fromLatin1(QCryptographicHash::hash(backup, QCryptographicHash::Sha256).toHex())},
      {QStringLiteral("backupBytes"), backup.size()},
      {QStringLiteral("tool"), QStringLiteral("test")},
  };
  QFile json(folder + QStringLiteral("/snapshot.json"));
  if (!json.open(QIODevice::WriteOnly) || json.write(QJsonDocument(info).toJson()) <= 0) return {};
  return folder;
}

void Tamper(const QString& folder) {
  QFile bin(folder + QStringLiteral("/backup.bin"));
  QVERIFY(bin.open(QIODevice::ReadWrite));
  QVERIFY(bin.write("X", 1) == 1);
}

QString CellText(SnapshotsView& view, int row, int column) {
  return view.findChild<QTableWidget*>(QStringLiteral("snapshotsTable"))->item(row, column)->text();
}

}  // namespace

class SnapshotsViewTest : public QObject {
  Q_OBJECT
 private slots:
  void init();
  void ListsNewestFirstWithTheBackupsState();
  void RestoreIsOfferedForAnIntactSnapshotAndCheckedAgain();
  void HashingLargeBackupsKeepsTheWindowResponsive();
  void NamedReachableAndFitsInBothLanguages_data();
  void NamedReachableAndFitsInBothLanguages();

 private:
  std::unique_ptr<QTemporaryDir> m_dir;
};

void SnapshotsViewTest::init() {
  m_dir = std::make_unique<QTemporaryDir>();
  qputenv("XDG_DATA_HOME", m_dir->path().toUtf8());
}

void SnapshotsViewTest::ListsNewestFirstWithTheBackupsState() {
  SnapshotsView view(TestLanguage(true));
  view.show();  // the first showing lists them
  QTRY_VERIFY(!view.Busy());
  const QString empty = view.findChild<QLabel*>(QStringLiteral("snapshotsStatus"))->text();
  QVERIFY2(empty.startsWith(QStringLiteral("No snapshots yet")) && empty.contains(SnapshotRoot()), qPrintable(empty));

  const QDateTime base = QDateTime::currentDateTimeUtc().addDays(-3);
  QVERIFY(!MakeSnapshot(QStringLiteral("a"), base, QStringLiteral("sn:OLD"), 315600000, "old").isEmpty());
  const QString changed = MakeSnapshot(QStringLiteral("b"), base.addDays(1), QStringLiteral("sn:MID"), 1, "mid");
  QVERIFY(!changed.isEmpty());
  Tamper(changed);
  // A unit name forged with a newline and an escape sequence.
  QVERIFY(!MakeSnapshot(QStringLiteral("c"), base.addDays(2), QStringLiteral("sn:NEW\n\x1b[31m"), 433920000,
                        QByteArray(5000, 'n'))
               .isEmpty());
  view.Refresh();
  QTRY_VERIFY(!view.Busy());
  QCOMPARE(view.RowCount(), 3);
  QCOMPARE(CellText(view, 0, SnapshotsView::kUnit), QStringLiteral("sn:NEW\\x0a\\x1b[31m (1-2)"));
  QCOMPARE(CellText(view, 0, SnapshotsView::kFrequency), QStringLiteral("433920000"));
  QCOMPARE(CellText(view, 0, SnapshotsView::kBackup), QStringLiteral("5,000"));
  QCOMPARE(view.RowState(0), SnapshotsView::State::Intact);
  QCOMPARE(CellText(view, 0, SnapshotsView::kState), QStringLiteral("intact"));
  QCOMPARE(view.RowState(1), SnapshotsView::State::Changed);
  QVERIFY(CellText(view, 1, SnapshotsView::kState).startsWith(QStringLiteral("changed")));
  QCOMPARE(CellText(view, 1, SnapshotsView::kFrequency), QStringLiteral("none"));  // 1 Hz is none the unit takes
  QCOMPARE(view.RowState(2), SnapshotsView::State::Intact);

  // The language changes everything shown at once, the rows too.
  view.SetLanguage(TestLanguage(false));
  QCOMPARE(CellText(view, 0, SnapshotsView::kState), TestLanguage(false).Text("intact"));
  QCOMPARE(view.findChild<QTableWidget*>()->horizontalHeaderItem(SnapshotsView::kUnit)->text(),
           TestLanguage(false).Text("Unit"));
}

void SnapshotsViewTest::RestoreIsOfferedForAnIntactSnapshotAndCheckedAgain() {
  const QDateTime now = QDateTime::currentDateTimeUtc();
  const QString intact = MakeSnapshot(QStringLiteral("new"), now, QStringLiteral("sn:A"), 433920000, "data");
  const QString changed = MakeSnapshot(QStringLiteral("old"), now.addSecs(-60), QStringLiteral("sn:B"), 433920000, "x");
  Tamper(changed);
  SnapshotsView view(TestLanguage(true));
  QSignalSpy asked(&view, &SnapshotsView::restoreRequested);
  view.Refresh();
  QTRY_VERIFY(!view.Busy());
  auto* table = view.findChild<QTableWidget*>();
  auto* restore = view.findChild<QPushButton*>(QStringLiteral("snapshotsRestore"));
  QVERIFY(!restore->isEnabled());  // nothing chosen
  table->selectRow(1);
  QVERIFY(!restore->isEnabled());
  table->selectRow(0);
  QVERIFY(restore->isEnabled());

  restore->click();
  QTRY_COMPARE(asked.size(), 1);
  QCOMPARE(asked.at(0).at(0).value<SnapshotInfo>().folder, intact);
  QCOMPARE(asked.at(0).at(0).value<SnapshotInfo>().frequency, 433920000);

  // Changed after it was listed: the click finds out, and nothing is handed on.
  Tamper(intact);
  restore->click();
  QTRY_COMPARE(view.RowState(0), SnapshotsView::State::Changed);
  QTRY_VERIFY(!view.Busy());
  QCOMPARE(asked.size(), 1);
  QVERIFY(!restore->isEnabled());
  QVERIFY(view.findChild<QLabel*>(QStringLiteral("snapshotsStatus"))->text().contains(QStringLiteral("has changed")));
}

void SnapshotsViewTest::HashingLargeBackupsKeepsTheWindowResponsive() {
  constexpr int kSnapshots = 4;
  const QByteArray big(8 * 1024 * 1024, 'b');
  const QDateTime now = QDateTime::currentDateTimeUtc();
  for (int i = 0; i < kSnapshots; ++i)
    QVERIFY(
        !MakeSnapshot(QString::number(i), now.addSecs(i), QStringLiteral("sn:%1").arg(i), 433920000, big).isEmpty());
  SnapshotsView view(TestLanguage(true));
  QElapsedTimer clock;
  clock.start();
  view.Refresh();
  QVERIFY2(clock.elapsed() < 50, qPrintable(QString::number(clock.elapsed())));
  // The rows come before their hashes, and the event loop keeps turning meanwhile.
  QTRY_COMPARE(view.RowCount(), kSnapshots);
  QCOMPARE(view.RowState(kSnapshots - 1), SnapshotsView::State::Checking);
  const qint64 longestGap = LongestStall([&] { return view.Busy(); });
  QVERIFY2(longestGap < 100, qPrintable(QString::number(longestGap)));
  for (int i = 0; i < kSnapshots; ++i) QCOMPARE(view.RowState(i), SnapshotsView::State::Intact);
}

void SnapshotsViewTest::NamedReachableAndFitsInBothLanguages_data() { BothLanguages(); }

void SnapshotsViewTest::NamedReachableAndFitsInBothLanguages() {
  QFETCH(bool, english);
  QVERIFY(
      !MakeSnapshot(QStringLiteral("one"), QDateTime::currentDateTimeUtc(), QStringLiteral("sn:ONE"), 433920000, "1")
           .isEmpty());
  SnapshotsView view(TestLanguage(!english));
  view.SetLanguage(TestLanguage(english));  // switched at run time, as the window does
  view.Refresh();
  QTRY_VERIFY(!view.Busy());
  view.findChild<QTableWidget*>()->selectRow(0);  // so that Restore... takes part
  CheckUsable(&view);
}

QTEST_MAIN(SnapshotsViewTest)
#include "tst_snapshots_view.moc"
