#pragma once
// Helpers for the widget tests: a HID backend with nothing plugged in, and an answerer that
// acknowledges message boxes the way a technician would, recording what they said.

#include <QAbstractButton>
#include <QApplication>
#include <QFile>
#include <QMessageBox>
#include <QSettings>
#include <QStringList>
#include <QTemporaryDir>
#include <QTimer>
#include <atomic>
#include <functional>

#include "app/ConfirmChange.h"
#include "app/FileChooser.h"
#include "link/HidBackend.h"

namespace quorvin::test {

// Each widget-test binary keeps the window's settings, history and snapshots to itself, in
// folders that go with it: the window remembers choices (the link, the language, the folders) and
// writes the history and snapshots, and neither the user's files nor another test's may be read
// or written. A test that points one elsewhere goes back with UsePrivateFolders(). ResetSettings() starts from the
// defaults.
inline void UsePrivateFolders() {
  static QTemporaryDir folder;
  qputenv("XDG_CONFIG_HOME", QFile::encodeName(folder.filePath(QStringLiteral("config"))));
  qputenv("XDG_STATE_HOME", QFile::encodeName(folder.filePath(QStringLiteral("state"))));
  qputenv("XDG_DATA_HOME", QFile::encodeName(folder.filePath(QStringLiteral("data"))));
}
inline const bool kPrivateSettings = [] {
  UsePrivateFolders();
  return true;
}();
inline void ResetSettings() {
  QSettings(QSettings::NativeFormat, QSettings::UserScope, QStringLiteral("quorvin"), QStringLiteral("quorvin-setup"))
      .clear();
}

class EmptyHid final : public HidBackend {
 public:
  std::atomic<int> enumerations{0};
  std::vector<HidDeviceInfo> Enumerate() override {
    ++enumerations;
    return {};
  }
  HidOpen Open(const QString&, std::unique_ptr<HidHandle>&) override { return HidOpen::Failed; }
  QString Name() const override { return QStringLiteral("empty"); }
};

// Answers the window's file questions with a prepared path (empty: the user cancelled) and
// remembers what was asked ("open test"), and in which folder and under which title.
class FakeChooser final : public FileChooser {
 public:
  explicit FakeChooser(QString answer, QStringList* asked, QList<FileQuestion>* questions = nullptr)
      : m_answer(std::move(answer)), m_asked(asked), m_questions(questions) {}
  QString OpenBin(QWidget*, const FileQuestion& q) override {
    *m_asked << QStringLiteral("open ") + q.initialName;
    if (m_questions) *m_questions << q;
    return m_answer;
  }
  QString SaveBin(QWidget*, const FileQuestion& q) override {
    *m_asked << QStringLiteral("save ") + q.initialName;
    if (m_questions) *m_questions << q;
    return m_answer;
  }

 private:
  QString m_answer;
  QStringList* m_asked;
  QList<FileQuestion>* m_questions;
};

// Answers the window's "change this unit?" question as told, and remembers each question.
class FakeAsker final : public ChangeAsker {
 public:
  explicit FakeAsker(Consent answer, QStringList* asked) : m_answer(answer), m_asked(asked) {}
  Consent Ask(QWidget*, const Language& lang, const ChangeQuestion& q) override {
    *m_asked << ChangeQuestionText(lang, q);
    return m_answer;
  }

 private:
  Consent m_answer;
  QStringList* m_asked;
};

// Clicks OK on every message box that comes up, `delayMs` after it appeared.
class BoxAnswerer : public QObject {
 public:
  explicit BoxAnswerer(int delayMs = 0) : m_delayMs(delayMs) {
    QObject::connect(&m_timer, &QTimer::timeout, this, [this] { Poll(); });
    m_timer.start(5);
  }
  QStringList texts;
  QStringList details;             // each box's informative text
  QList<QMessageBox::Icon> icons;  // each box's icon
  // Boxes by object name that this answerer leaves to the test.
  QStringList leave;
  // Runs while a box is up, before it is answered (to look at the windows behind it).
  std::function<void(QMessageBox*)> onBox;

 private:
  void Poll() {
    auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
    if (!box || box == m_answering || leave.contains(box->objectName())) return;
    m_answering = box;
    texts << box->text();
    details << box->informativeText();
    icons << box->icon();
    if (onBox) onBox(box);
    QTimer::singleShot(m_delayMs, box, [this, box] {
      m_answering = nullptr;
      // OK where there is one; else the box's own way out (its Escape button).
      if (QAbstractButton* ok = box->button(QMessageBox::Ok))
        ok->click();
      else if (QAbstractButton* escape = box->escapeButton())
        escape->click();
    });
  }
  QTimer m_timer;
  QMessageBox* m_answering = nullptr;
  int m_delayMs;
};

}  // namespace quorvin::test
