// The About window: the versions it names are the ones running, the paths are where the tool
// really keeps things and can be copied, and it speaks the window's language.

#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QtTest>

#include "app/AboutDialog.h"
#include "front/Snapshot.h"
#include "gui/ViewChecks.h"
#include "host/History.h"
#include "link/HidapiBackend.h"
#include "support/Languages.h"

using namespace quorvin;
using namespace quorvin::test;

class AboutDialogTest : public QObject {
  Q_OBJECT
 private slots:
  void NamesTheVersionsRunningAndThePathsUsed();
  void NamedReachableAndFitsInBothLanguages_data();
  void NamedReachableAndFitsInBothLanguages();
};

void AboutDialogTest::NamesTheVersionsRunningAndThePathsUsed() {
  AboutDialog about(TestLanguage(true));
  const auto text = [&](const char* name) { return about.findChild<QLabel*>(QLatin1String(name))->text(); };
  QCOMPARE(text("aboutVersion"), QStringLiteral(QUORVIN_VERSION));
  QVERIFY(text("aboutQt").contains(QLatin1String(qVersion())));
  QVERIFY(text("aboutQt").contains(QStringLiteral(QT_VERSION_STR)));
  QVERIFY(!HidapiVersionText().isEmpty());
  QCOMPARE(text("aboutHidapi"), HidapiVersionText());
  const auto path = [&](const char* name) {
    auto* field = about.findChild<QLineEdit*>(QLatin1String(name));
    return field->isReadOnly() ? field->text() : QStringLiteral("editable");
  };
  QCOMPARE(path("aboutHistoryPath"), HistoryPath());
  QCOMPARE(path("aboutRecordingPath"), LastRecordingPath());
  QCOMPARE(path("aboutSnapshotsPath"), SnapshotRoot());
  QCOMPARE(path("aboutSettingsPath"), AboutDialog::SettingsPath());
  QVERIFY(AboutDialog::SettingsPath().contains(QStringLiteral("quorvin")));
  QVERIFY(about.findChild<QPlainTextEdit*>()->toPlainText().startsWith(QStringLiteral("MIT License")));

  about.SetLanguage(TestLanguage(false));
  QCOMPARE(about.windowTitle(), TestLanguage(false).Text("About quorvin-setup"));
}

void AboutDialogTest::NamedReachableAndFitsInBothLanguages_data() {
  QTest::addColumn<bool>("english");
  QTest::addColumn<int>("page");
  for (int page = 0; page < 3; ++page) {
    QTest::addRow("English, page %d", page) << true << page;
    QTest::addRow("Chinese, page %d", page) << false << page;
  }
}

void AboutDialogTest::NamedReachableAndFitsInBothLanguages() {
  QFETCH(bool, english);
  QFETCH(int, page);
  AboutDialog about(TestLanguage(!english));
  about.SetLanguage(TestLanguage(english));
  about.findChild<QTabWidget*>()->setCurrentIndex(page);
  CheckUsable(&about);
}

QTEST_MAIN(AboutDialogTest)
#include "tst_about_dialog.moc"
