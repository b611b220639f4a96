#pragma once
// The running operation, shown over the main window as a panel of its own (a child of the
// window, so it moves with it and is never wider than it): a bar, the operation's own progress
// line, and below it the percent and time left once the pace is known, or that the device is
// being waited for while the bar cannot move (the device's long pause after an upgrade's first
// packet). Cancel, or Escape, asks the operation to stop; it stops within a tenth of a second.

#include <QElapsedTimer>
#include <QFrame>
#include <QTimer>

#include "ops/Language.h"

class QLabel;
class QProgressBar;
class QPushButton;

namespace quorvin {

class ProgressPanel : public QFrame {
  Q_OBJECT
 public:
  explicit ProgressPanel(QWidget* window, Language lang);
  void SetLanguage(const Language& lang);

  [[nodiscard]] QProgressBar* Bar() const { return m_bar; }
  [[nodiscard]] QLabel* TextLine() const { return m_text; }
  [[nodiscard]] QLabel* PaceLine() const { return m_pace; }
  [[nodiscard]] QPushButton* CancelButton() const { return m_cancel; }

  // Shows the panel afresh: range 0..3, nothing known of the pace yet.
  void Begin();
  void SetText(const QString& text);
  void SetRange(int max);
  void SetPos(int pos);
  void End();
  // Called when a stop was asked for: the button says so until the operation has stopped.
  void MarkStopping();

  static const QColor kTextColour;
  static const QColor kBarColour;
  static const QColor kWindowColour;

 signals:
  void cancelRequested();

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void Place();
  void UpdatePace();

  Language m_lang;
  QProgressBar* m_bar = nullptr;
  QLabel* m_text = nullptr;
  QLabel* m_pace = nullptr;
  QPushButton* m_cancel = nullptr;
  QTimer m_tick;
  QElapsedTimer m_sinceMove;   // since the bar last moved
  QElapsedTimer m_sinceStart;  // since the position the pace is measured from
  int m_startPos = -1;
  bool m_stopping = false;
};

// "12 %, about 3 min 20 s left": what the pace line says once `done` of `total` took `elapsedMs`.
[[nodiscard]] QString PaceText(const Language& lang, int pos, int max, int startPos, qint64 elapsedMs);

}  // namespace quorvin
