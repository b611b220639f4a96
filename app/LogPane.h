#pragma once
// What the window did this session, one time-stamped line per operation, warning or fault (never
// the reports on the wire), for the technician to read, copy into a ticket or save. It keeps the
// newest lines only, so a session left running for weeks cannot grow without bound.

#include <QDateTime>
#include <QWidget>
#include <deque>

#include "app/BackgroundWork.h"
#include "host/OutputFile.h"
#include "ops/Language.h"

class QPlainTextEdit;
class QPushButton;

namespace quorvin {

// Where the log pane asks for a file to save into. The real one shows the platform's file dialog;
// tests put in one that answers with a prepared path.
class TextFileChooser {
 public:
  virtual ~TextFileChooser() = default;
  // Where to store a "*.txt" file, after the overwrite question; empty when cancelled.
  [[nodiscard]] virtual QString SaveText(QWidget* owner, const QString& initialName) = 0;
};

class QtTextFileChooser final : public TextFileChooser {
 public:
  QString SaveText(QWidget* owner, const QString& initialName) override;
};

class LogPane : public QWidget {
  Q_OBJECT
 public:
  enum class Level { Info, Warning, Fault };
  static constexpr int kMaxLines = 10000;
  // A longer text is cut (and says so), so the lines kept stay bounded in size too.
  static constexpr int kMaxLineChars = 4000;

  // `chooser` answers Save's question for a file (not owned; null: the platform's dialog).
  explicit LogPane(const Language& lang, TextFileChooser* chooser = nullptr, QWidget* parent = nullptr);

  void SetLanguage(const Language& lang);
  // Adds one line, stamped with the local time now. From another thread (an operation's worker)
  // the line is added on the GUI thread, in the order given; the pane must outlive the caller.
  // A text of several lines is joined into one; control characters are shown escaped.
  void Append(Level level, const QString& text);

  // Every line kept, as Copy and Save give them, each ending in a newline.
  [[nodiscard]] QString Text() const;
  [[nodiscard]] int LineCount() const { return static_cast<int>(m_lines.size()); }
  // A save is being written.
  [[nodiscard]] bool Saving() const { return m_saving; }

 public slots:
  void CopyAll();
  void Save();

 private:
  struct Line {
    QDateTime time;
    Level level;
    QString text;
  };
  struct SaveResult {
    OutputRefusal refusal = OutputRefusal::None;
    bool failed = false;
    QString reason;
  };

  void Add(Line line);
  void Show(const Line& line);
  void Saved(const QString& path, const SaveResult& result);
  void UpdateButtons();
  [[nodiscard]] QString LineText(const Line& line) const;

  Language m_lang;
  QtTextFileChooser m_ownChooser;
  TextFileChooser* m_chooser;
  QPlainTextEdit* m_view = nullptr;
  QPushButton* m_copy = nullptr;
  QPushButton* m_save = nullptr;
  std::deque<Line> m_lines;
  bool m_saving = false;
  // Last, so a save still being written has ended before anything it reports to goes.
  BackgroundWork m_writer;
};

}  // namespace quorvin
