// The log pane: time-stamped lines with faults marked, the newest lines kept only, lines from a
// worker thread in order, and Copy and Save, where a save that fails says why and a FIFO or a
// folder at the chosen path is never replaced or waited on.

#include <sys/stat.h>

#include <QClipboard>
#include <QDir>
#include <QFileInfo>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QThread>
#include <QtTest>

#include "app/LogPane.h"
#include "gui/GuiSupport.h"
#include "gui/ViewChecks.h"
#include "ops/FaultTexts.h"
#include "support/Languages.h"

using namespace quorvin;
using namespace quorvin::test;

namespace {

class AnswerWith final : public TextFileChooser {
 public:
  QString answer;
  QStringList asked;
  QString SaveText(QWidget*, const QString& initialName) override {
    asked << initialName;
    return answer;
  }
};

QStringList Lines(const LogPane& pane) { return pane.Text().split(QLatin1Char('\n'), Qt::SkipEmptyParts); }

}  // namespace

class LogPaneTest : public QObject {
  Q_OBJECT
 private slots:
  void LinesAreStampedFaultsMarkedAndTextMadeOneLineInOrder();
  void KeepsTheNewestLinesOnly();
  void CopyAndSaveGiveEveryLine();
  void AFailedSaveSaysWhyAndReplacesNothingButAFile();
  void NamedReachableAndFitsInBothLanguages_data();
  void NamedReachableAndFitsInBothLanguages();
};

void LogPaneTest::LinesAreStampedFaultsMarkedAndTextMadeOneLineInOrder() {
  LogPane pane(TestLanguage(true));
  pane.Append(LogPane::Level::Info, QStringLiteral("Upgrade started"));
  pane.Append(LogPane::Level::Warning, QStringLiteral("the history could not be written"));
  pane.Append(LogPane::Level::Fault, QStringLiteral("Cannot write the file C:\\x.bin.\nNo space left\x1b[2J"));
  const QStringList lines = Lines(pane);
  QCOMPARE(lines.size(), 3);
  const QRegularExpression stamp(QStringLiteral("^\\d{4}-\\d\\d-\\d\\d \\d\\d:\\d\\d:\\d\\d\\.\\d{3}  "));
  for (const QString& line : lines) QVERIFY2(stamp.match(line).hasMatch(), qPrintable(line));
  QVERIFY(lines[0].endsWith(QStringLiteral("  Upgrade started")));
  QVERIFY(lines[1].endsWith(QStringLiteral("  Warning: the history could not be written")));
  // The reason joins its message; an escape sequence cannot act; the path's backslash stays one.
  QVERIFY2(lines[2].endsWith(QStringLiteral("  FAULT: Cannot write the file C:\\x.bin. No space left\\x1b[2J")),
           qPrintable(lines[2]));
  pane.SetLanguage(TestLanguage(false));
  QVERIFY(Lines(pane)[2].contains(TestLanguage(false).Text("FAULT:")));
  QCOMPARE(pane.findChild<QPlainTextEdit*>()->toPlainText() + QLatin1Char('\n'), pane.Text());

  // From an operation's worker: in order, on the GUI thread.
  std::unique_ptr<QThread> worker(QThread::create([&pane] {
    for (int i = 0; i < 100; ++i) pane.Append(LogPane::Level::Info, QString::number(i));
  }));
  worker->start();
  QVERIFY(worker->wait(10000));
  QTRY_COMPARE(pane.LineCount(), 103);
  for (int i = 0; i < 100; ++i) QVERIFY(Lines(pane)[3 + i].endsWith(QStringLiteral("  %1").arg(i)));
}

void LogPaneTest::KeepsTheNewestLinesOnly() {
  LogPane pane(TestLanguage(true));
  for (int i = 0; i < LogPane::kMaxLines + 5; ++i) pane.Append(LogPane::Level::Info, QString::number(i));
  pane.Append(LogPane::Level::Info, QString(3 * LogPane::kMaxLineChars, QLatin1Char('x')));
  QCOMPARE(pane.LineCount(), LogPane::kMaxLines);
  const QStringList lines = Lines(pane);
  QVERIFY(lines.first().endsWith(QStringLiteral("  6")));
  QVERIFY(lines.last().size() < LogPane::kMaxLineChars + 64);
  QCOMPARE(pane.findChild<QPlainTextEdit*>()->document()->blockCount(), LogPane::kMaxLines);
}

void LogPaneTest::CopyAndSaveGiveEveryLine() {
  QTemporaryDir dir;
  AnswerWith chooser;
  LogPane pane(TestLanguage(true), &chooser);
  pane.Append(LogPane::Level::Info, QStringLiteral("one"));
  pane.Append(LogPane::Level::Fault, QStringLiteral("two"));
  const QString text = pane.Text();
  pane.findChild<QPushButton*>(QStringLiteral("logCopy"))->click();
  QCOMPARE(QGuiApplication::clipboard()->text(), text);

  // Cancelled: nothing asked of the disk, nothing said.
  auto* save = pane.findChild<QPushButton*>(QStringLiteral("logSave"));
  save->click();
  QCOMPARE(chooser.asked.size(), 1);
  QVERIFY(chooser.asked[0].startsWith(QStringLiteral("quorvin-log-")));
  QVERIFY(!pane.Saving());

  // Over an earlier file: replaced whole.
  chooser.answer = dir.filePath(QStringLiteral("log.txt"));
  QFile earlier(chooser.answer);
  QVERIFY(earlier.open(QIODevice::WriteOnly) && earlier.write("earlier and longer than the log\n") > 0);
  earlier.close();
  save->click();
  QTRY_VERIFY(!pane.Saving());
  QVERIFY(earlier.open(QIODevice::ReadOnly));
  QCOMPARE(QString::fromUtf8(earlier.readAll()), text);
  QCOMPARE(pane.LineCount(), 3);  // and the log says where it went
  QVERIFY(Lines(pane).last().contains(chooser.answer));
}

void LogPaneTest::AFailedSaveSaysWhyAndReplacesNothingButAFile() {
  QTemporaryDir dir;
  const QString fifo = dir.filePath(QStringLiteral("pipe"));
  QCOMPARE(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
  const QString folder = dir.filePath(QStringLiteral("folder"));
  QVERIFY(QDir().mkdir(folder));
  const QString nowhere = dir.filePath(QStringLiteral("missing/log.txt"));
  const Language lang = TestLanguage(false);
  AnswerWith chooser;
  LogPane pane(lang, &chooser);
  pane.Append(LogPane::Level::Info, QStringLiteral("one"));
  BoxAnswerer answerer;
  auto* save = pane.findChild<QPushButton*>(QStringLiteral("logSave"));
  for (const QString& path : {fifo, folder, nowhere}) {
    chooser.answer = path;
    answerer.texts.clear();
    save->click();
    QTRY_COMPARE(answerer.texts.size(), 1);
    QTRY_VERIFY(!pane.Saving());
    const QString box = answerer.texts[0];
    QVERIFY2(box.startsWith(FileWriteMessage(lang, path, {})), qPrintable(box));
    if (path != nowhere)
      QVERIFY2(box.contains(OutputRefusalText(lang, OutputRefusal::NotRegularFile, {})), qPrintable(box));
    QVERIFY(Lines(pane).last().contains(TestLanguage(false).Text("Warning:")));
  }
  QFileInfo stillFifo(fifo);
  QVERIFY(!stillFifo.isFile() && stillFifo.exists());
  QVERIFY(QFileInfo(folder).isDir());
  QCOMPARE(QDir(dir.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::System).size(), 2);
}

void LogPaneTest::NamedReachableAndFitsInBothLanguages_data() { BothLanguages(); }

void LogPaneTest::NamedReachableAndFitsInBothLanguages() {
  QFETCH(bool, english);
  LogPane pane(TestLanguage(!english));
  pane.Append(LogPane::Level::Fault, QStringLiteral("Upgrade failed: the device did not answer"));
  pane.SetLanguage(TestLanguage(english));
  CheckUsable(&pane);
}

QTEST_MAIN(LogPaneTest)
#include "tst_log_pane.moc"
