#pragma once
// The small borderless window that shows a running operation: a bar (control 1000) and one line
// of text (control 1001), in the tool's dark teal colours. The main window creates it when an
// operation shows progress and destroys it when the operation closes it; its palettes and style
// go with it, so repeated operations leak nothing.

#include <QDialog>

class QLabel;
class QProgressBar;

namespace quorvin {

class ProgressWindow : public QDialog {
  Q_OBJECT
 public:
  // `owner` is the main window: the progress window stays above it and is centred over it.
  ProgressWindow(QWidget* owner, bool wide);

  [[nodiscard]] QProgressBar* Bar() const { return m_progress; }
  [[nodiscard]] QLabel* TextLine() const { return m_text; }

  void SetText(const QString& text);
  void CentreOver(const QWidget* owner);

  static const QColor kTextColour;
  static const QColor kBarColour;
  static const QColor kWindowColour;

 protected:
  void paintEvent(QPaintEvent* event) override;
  // The operation decides when the window goes; Escape must not hide it under a running transfer.
  void reject() override {}

 private:
  void BuildControls(bool wide);

  QProgressBar* m_progress = nullptr;
  QLabel* m_text = nullptr;
};

}  // namespace quorvin
