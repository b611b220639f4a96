#include "app/LogPane.h"

#include <QClipboard>
#include <QFileDialog>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QScrollBar>
#include <QTextBlock>
#include <QThread>
#include <QVBoxLayout>

#include "front/PrintableText.h"
#include "ops/FaultTexts.h"

namespace quorvin {

namespace {

constexpr char kStampFormat[] = "yyyy-MM-dd HH:mm:ss.zzz";

// One line of the log: a message's own lines (a file error's system reason) joined, what could
// draw or hide text escaped, and a text without end cut short.
QString OneLine(const QString& text) {
  static const QRegularExpression breaks(QStringLiteral("\\s*(\\r\\n|\\n|\\r)\\s*"));
  QString line = PrintableText(QString(text).replace(breaks, QStringLiteral(" ")).trimmed(), false);
  if (line.size() > LogPane::kMaxLineChars) line = line.left(LogPane::kMaxLineChars) + QStringLiteral(" [...]");
  return line;
}

QTextCharFormat FormatFor(LogPane::Level level, const QPalette& palette) {
  QTextCharFormat format;
  switch (level) {
    case LogPane::Level::Info:
      format.setForeground(palette.color(QPalette::Text));
      break;
    case LogPane::Level::Warning:
      format.setForeground(QColor(160, 90, 0));
      break;
    case LogPane::Level::Fault:
      format.setForeground(QColor(190, 0, 30));
      format.setFontWeight(QFont::Bold);
      break;
  }
  return format;
}

}  // namespace

QString QtTextFileChooser::SaveText(QWidget* owner, const QString& initialName) {
  QFileDialog dialog(owner);
  dialog.setAcceptMode(QFileDialog::AcceptSave);
  dialog.setFileMode(QFileDialog::AnyFile);
  dialog.setNameFilter(QStringLiteral("*.txt"));
  dialog.setDefaultSuffix(QStringLiteral("txt"));
  dialog.setOption(QFileDialog::DontConfirmOverwrite, false);
  dialog.selectFile(initialName);
  if (dialog.exec() != QDialog::Accepted) return {};
  const QStringList files = dialog.selectedFiles();
  return files.isEmpty() ? QString() : files.first();
}

LogPane::LogPane(const Language& lang, TextFileChooser* chooser, QWidget* parent)
    : QWidget(parent), m_lang(lang), m_chooser(chooser ? chooser : &m_ownChooser) {
  setObjectName(QStringLiteral("LogPane"));
  m_view = new QPlainTextEdit(this);
  m_view->setObjectName(QStringLiteral("logText"));
  m_view->setReadOnly(true);
  // Wrapped, so a narrow pane shows a whole message; each line still starts with its time.
  m_view->setLineWrapMode(QPlainTextEdit::WidgetWidth);
  m_view->setUndoRedoEnabled(false);
  m_view->setMaximumBlockCount(kMaxLines);
  m_view->setTabChangesFocus(true);
  m_view->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
  m_view->setMinimumHeight(m_view->fontMetrics().lineSpacing() * 3);
  m_copy = new QPushButton(this);
  m_copy->setObjectName(QStringLiteral("logCopy"));
  connect(m_copy, &QPushButton::clicked, this, &LogPane::CopyAll);
  m_save = new QPushButton(this);
  m_save->setObjectName(QStringLiteral("logSave"));
  connect(m_save, &QPushButton::clicked, this, &LogPane::Save);

  auto* buttons = new QHBoxLayout;
  buttons->addStretch(1);
  buttons->addWidget(m_copy);
  buttons->addWidget(m_save);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(m_view, 1);
  layout->addLayout(buttons);
  setTabOrder(m_view, m_copy);
  setTabOrder(m_copy, m_save);

  SetLanguage(lang);
}

void LogPane::SetLanguage(const Language& lang) {
  m_lang = lang;
  m_view->setAccessibleName(lang.Text(QT_TRANSLATE_NOOP("quorvin", "Log")));
  m_view->setToolTip(
      lang.Text(QT_TRANSLATE_NOOP("quorvin", "What the window did this session: operations, warnings and faults")));
  m_copy->setText(lang.Text(QT_TRANSLATE_NOOP("quorvin", "&Copy")));
  m_copy->setAccessibleName(lang.Text(QT_TRANSLATE_NOOP("quorvin", "Copy the log")));
  m_copy->setToolTip(lang.Text(QT_TRANSLATE_NOOP("quorvin", "Copy the whole log to the clipboard")));
  m_save->setText(lang.Text(QT_TRANSLATE_NOOP("quorvin", "&Save...")));
  m_save->setAccessibleName(lang.Text(QT_TRANSLATE_NOOP("quorvin", "Save the log")));
  m_save->setToolTip(lang.Text(QT_TRANSLATE_NOOP("quorvin", "Save the whole log to a text file")));
  // The lines already there speak the new language too (their level words).
  m_view->clear();
  QTextCursor cursor(m_view->document());
  cursor.beginEditBlock();
  bool first = true;
  for (const Line& line : m_lines) {
    if (!first) cursor.insertBlock();
    first = false;
    cursor.insertText(LineText(line), FormatFor(line.level, m_view->palette()));
  }
  cursor.endEditBlock();
  m_view->verticalScrollBar()->setValue(m_view->verticalScrollBar()->maximum());
  UpdateButtons();
}

void LogPane::Append(Level level, const QString& text) {
  Line line{QDateTime::currentDateTime(), level, OneLine(text)};
  if (QThread::currentThread() != thread()) {
    QMetaObject::invokeMethod(
        this, [this, line] { Add(line); }, Qt::QueuedConnection);
    return;
  }
  Add(std::move(line));
}

void LogPane::Add(Line line) {
  m_lines.push_back(std::move(line));
  // The view drops its first block past the same count, so the two stay line for line.
  while (m_lines.size() > static_cast<std::size_t>(kMaxLines)) m_lines.pop_front();
  Show(m_lines.back());
  UpdateButtons();
}

void LogPane::Show(const Line& line) {
  QScrollBar* bar = m_view->verticalScrollBar();
  // The view follows new lines unless the user has scrolled back to read.
  const bool following = bar->value() == bar->maximum();
  QTextCursor cursor(m_view->document());
  cursor.movePosition(QTextCursor::End);
  if (m_lines.size() > 1) cursor.insertBlock();
  cursor.insertText(LineText(line), FormatFor(line.level, m_view->palette()));
  if (following) bar->setValue(bar->maximum());
}

QString LogPane::LineText(const Line& line) const {
  QString marker;
  switch (line.level) {
    case Level::Info:
      break;
    case Level::Warning:
      marker = m_lang.Text(QT_TRANSLATE_NOOP("quorvin", "Warning:")) + QLatin1Char(' ');
      break;
    case Level::Fault:
      marker = m_lang.Text(QT_TRANSLATE_NOOP("quorvin", "FAULT:")) + QLatin1Char(' ');
      break;
  }
  return line.time.toString(QLatin1String(kStampFormat)) + QStringLiteral("  ") + marker + line.text;
}

QString LogPane::Text() const {
  QString text;
  for (const Line& line : m_lines) text += LineText(line) + QLatin1Char('\n');
  return text;
}

void LogPane::CopyAll() { QGuiApplication::clipboard()->setText(Text()); }

void LogPane::Save() {
  if (m_saving) return;
  const QString initial = QStringLiteral("quorvin-log-%1.txt")
                              .arg(QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd-HHmmss")));
  const QString path = m_chooser->SaveText(this, initial);
  if (path.isEmpty()) return;
  m_saving = true;
  UpdateButtons();
  // Written, synced and renamed into place off the GUI thread: a slow or stalled disk must not
  // stop the window. An earlier file at the path stays as it was unless every byte got there.
  m_writer.Start([this, path, data = Text().toUtf8()](const BackgroundWork::Job& job) {
    OutputFile out(path);
    SaveResult result;
    result.refusal = out.Open();
    if (result.refusal == OutputRefusal::None)
      result.failed = !out.Write(data.constData(), data.size()) || !out.Commit();
    result.reason = out.Reason();
    job.Deliver([this, path, result] { Saved(path, result); });
  });
}

void LogPane::Saved(const QString& path, const SaveResult& result) {
  m_saving = false;
  UpdateButtons();
  QString why;
  if (result.refusal != OutputRefusal::None)
    why = OutputRefusalText(m_lang, result.refusal, result.reason);
  else if (result.failed)
    why = result.reason;
  else
    return Append(Level::Info, m_lang.Text(QT_TRANSLATE_NOOP("quorvin", "The log was saved to %1")).arg(path));
  const QString message = FileWriteMessage(m_lang, path, why);
  Append(Level::Warning, message);
  QMessageBox box(QMessageBox::Warning, m_lang.Text(QT_TRANSLATE_NOOP("quorvin", "Save the log")), message,
                  QMessageBox::Ok, this);
  box.exec();
}

void LogPane::UpdateButtons() {
  m_copy->setEnabled(!m_lines.empty());
  m_save->setEnabled(!m_lines.empty() && !m_saving);
}

}  // namespace quorvin
