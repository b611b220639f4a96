#include "app/ProgressWindow.h"

#include <QLabel>
#include <QPainter>
#include <QProgressBar>

#include "app/WindowLayout.h"

namespace quorvin {

const QColor ProgressWindow::kTextColour{200, 200, 200};
const QColor ProgressWindow::kBarColour{20, 20, 20};
const QColor ProgressWindow::kWindowColour{10, 100, 120};

namespace {
// The thin window border, drawn by hand since the window has no frame of the platform's.
constexpr int kBorder = 1;
}  // namespace

ProgressWindow::ProgressWindow(QWidget* owner, bool wide) : QDialog(owner, Qt::Dialog | Qt::FramelessWindowHint) {
  setObjectName(QStringLiteral("ProgressWindow"));
  setModal(false);
  setFont(ProgressWindowFont());
  QPalette pal = palette();
  pal.setColor(QPalette::Window, kWindowColour);
  pal.setColor(QPalette::WindowText, kTextColour);
  setPalette(pal);
  setAutoFillBackground(true);
  BuildControls(wide);
  CentreOver(owner);
}

void ProgressWindow::BuildControls(bool wide) {
  const ProgressTemplate& tpl = ProgressWindowTemplate(wide);
  const DialogUnits units(font());
  const QPoint inset(kBorder, kBorder);

  m_progress = new QProgressBar(this);
  m_progress->setObjectName(QStringLiteral("ctl%1").arg(ctl::ProgressBar));
  m_progress->setProperty("controlId", ctl::ProgressBar);
  m_progress->setTextVisible(false);
  m_progress->setRange(0, 3);
  m_progress->setValue(0);
  // A style sheet, not the palette: platform styles ignore palette colours for the groove.
  m_progress->setStyleSheet(
      QStringLiteral("QProgressBar { background-color: rgb(20,20,20); border: 1px solid black; }"
                     "QProgressBar::chunk { background-color: palette(highlight); }"));
  m_progress->setGeometry(units.Rect(tpl.bar).translated(inset));

  m_text = new QLabel(this);
  m_text->setObjectName(QStringLiteral("ctl%1").arg(ctl::ProgressText));
  m_text->setProperty("controlId", ctl::ProgressText);
  m_text->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  m_text->setTextFormat(Qt::PlainText);
  m_text->setGeometry(units.Rect(tpl.text).translated(inset));

  setFixedSize(units.Size(tpl.window) + QSize(2 * kBorder, 2 * kBorder));
}

void ProgressWindow::SetText(const QString& text) {
  m_text->setText(text);
  // Shown before the caller's next step, not whenever the event loop next gets round to it.
  m_text->repaint();
}

void ProgressWindow::CentreOver(const QWidget* owner) {
  if (!owner) return;
  const QRect frame = owner->frameGeometry();
  move(frame.center() - QPoint(width() / 2, height() / 2));
}

void ProgressWindow::paintEvent(QPaintEvent* event) {
  QDialog::paintEvent(event);
  QPainter painter(this);
  painter.setPen(Qt::black);
  painter.drawRect(rect().adjusted(0, 0, -1, -1));
}

}  // namespace quorvin
