#pragma once
// Helpers for the widget tests: a HID backend with nothing plugged in, and an answerer that
// acknowledges message boxes the way a technician would, recording what they said.

#include <QAbstractButton>
#include <QApplication>
#include <QMessageBox>
#include <QStringList>
#include <QTimer>
#include <atomic>
#include <functional>

#include "app/FileChooser.h"
#include "link/HidBackend.h"

namespace quorvin::test {

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
// remembers what was asked.
class FakeChooser final : public FileChooser {
 public:
  explicit FakeChooser(QString answer, QStringList* asked) : m_answer(std::move(answer)), m_asked(asked) {}
  QString OpenBin(QWidget*, const QString& initialName) override {
    *m_asked << QStringLiteral("open ") + initialName;
    return m_answer;
  }
  QString SaveBin(QWidget*, const QString& initialName) override {
    *m_asked << QStringLiteral("save ") + initialName;
    return m_answer;
  }

 private:
  QString m_answer;
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
  // Runs while a box is up, before it is answered (to look at the windows behind it).
  std::function<void(QMessageBox*)> onBox;

 private:
  void Poll() {
    auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
    if (!box || box == m_answering) return;
    m_answering = box;
    texts << box->text();
    if (onBox) onBox(box);
    QTimer::singleShot(m_delayMs, box, [this, box] {
      m_answering = nullptr;
      box->button(QMessageBox::Ok)->click();
    });
  }
  QTimer m_timer;
  QMessageBox* m_answering = nullptr;
  int m_delayMs;
};

}  // namespace quorvin::test
