#include "app/ProgressPanel.h"

#include <QEvent>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>

#include "app/Controls.h"

namespace quorvin {

const QColor ProgressPanel::kTextColour{200, 200, 200};
const QColor ProgressPanel::kBarColour{20, 20, 20};
const QColor ProgressPanel::kWindowColour{10, 100, 120};

namespace {
// A bar that has not moved for this long looks hung: the device is being waited for.
constexpr qint64 kStillMs = 1500;
// The pace is told only once it rests on this much of the transfer.
constexpr qint64 kPaceAfterMs = 2000;
constexpr int kPanelWidth = 560;

QString Duration(const Language& lang, qint64 ms) {
  const qint64 s = (ms + 999) / 1000;
  if (s < 60) return lang.Text(QT_TRANSLATE_NOOP("quorvin", "%1 s")).arg(s);
  if (s < 3600) return lang.Text(QT_TRANSLATE_NOOP("quorvin", "%1 min %2 s")).arg(s / 60).arg(s % 60);
  return lang.Text(QT_TRANSLATE_NOOP("quorvin", "%1 h %2 min")).arg(s / 3600).arg(s % 3600 / 60);
}
}  // namespace

QString PaceText(const Language& lang, int pos, int max, int startPos, qint64 elapsedMs) {
  if (max <= 3 || pos <= 0) return {};
  const int percent = static_cast<int>(qint64(pos) * 100 / max);
  const int done = pos - startPos;
  if (startPos < 0 || done <= 0 || elapsedMs < kPaceAfterMs)
    return lang.Text(QT_TRANSLATE_NOOP("quorvin", "%1 %")).arg(percent);
  const qint64 left = qint64(max - pos) * elapsedMs / done;
  return lang.Text(QT_TRANSLATE_NOOP("quorvin", "%1 %, about %2 left")).arg(percent).arg(Duration(lang, left));
}

ProgressPanel::ProgressPanel(QWidget* window, Language lang) : QFrame(window), m_lang(std::move(lang)) {
  setObjectName(QStringLiteral("ProgressPanel"));
  setFrameShape(QFrame::Box);
  QPalette pal = palette();
  pal.setColor(QPalette::Window, kWindowColour);
  pal.setColor(QPalette::WindowText, kTextColour);
  setPalette(pal);
  setAutoFillBackground(true);

  m_bar = new QProgressBar(this);
  m_bar->setObjectName(QStringLiteral("ctl%1").arg(ctl::ProgressBar));
  m_bar->setTextVisible(false);
  m_bar->setRange(0, 3);
  // A style sheet, not the palette: platform styles ignore palette colours for the groove.
  m_bar->setStyleSheet(
      QStringLiteral("QProgressBar { background-color: rgb(20,20,20); border: 1px solid black; }"
                     "QProgressBar::chunk { background-color: palette(highlight); }"));
  m_text = new QLabel(this);
  m_text->setObjectName(QStringLiteral("ctl%1").arg(ctl::ProgressText));
  m_text->setTextFormat(Qt::PlainText);
  m_text->setWordWrap(true);
  m_pace = new QLabel(this);
  m_pace->setObjectName(QStringLiteral("progressPace"));
  m_pace->setTextFormat(Qt::PlainText);
  m_cancel = new QPushButton(this);
  m_cancel->setObjectName(QStringLiteral("progressCancel"));
  connect(m_cancel, &QPushButton::clicked, this, &ProgressPanel::cancelRequested);

  auto* row = new QHBoxLayout;
  row->addWidget(m_pace, 1);
  row->addWidget(m_cancel);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(m_bar);
  layout->addWidget(m_text);
  layout->addLayout(row);

  m_tick.setInterval(250);
  connect(&m_tick, &QTimer::timeout, this, &ProgressPanel::UpdatePace);
  window->installEventFilter(this);
  SetLanguage(m_lang);
  hide();
}

void ProgressPanel::SetLanguage(const Language& lang) {
  m_lang = lang;
  m_cancel->setText(m_stopping ? m_lang.Text(QT_TRANSLATE_NOOP("quorvin", "Stopping..."))
                               : m_lang.Text(QT_TRANSLATE_NOOP("quorvin", "&Cancel")));
  m_cancel->setToolTip(m_lang.Text(QT_TRANSLATE_NOOP(
      "quorvin", "Stop the operation (Esc). An earlier file is kept; a stopped upgrade must be done again.")));
  m_bar->setAccessibleName(m_lang.Text(QT_TRANSLATE_NOOP("quorvin", "Progress")));
  m_text->setAccessibleName(m_lang.Text(QT_TRANSLATE_NOOP("quorvin", "What the operation is doing")));
  m_pace->setAccessibleName(m_lang.Text(QT_TRANSLATE_NOOP("quorvin", "Percent done and time left")));
  m_cancel->setAccessibleName(m_lang.Text(QT_TRANSLATE_NOOP("quorvin", "Cancel the operation")));
  setAccessibleName(m_lang.Text(QT_TRANSLATE_NOOP("quorvin", "Operation in progress")));
}

void ProgressPanel::Begin() {
  m_bar->setRange(0, 3);
  m_bar->setValue(0);
  m_text->clear();
  m_pace->clear();
  m_startPos = -1;
  m_stopping = false;
  m_cancel->setEnabled(true);
  SetLanguage(m_lang);
  m_sinceMove.start();
  Place();
  show();
  raise();
  m_cancel->setFocus(Qt::OtherFocusReason);
  m_tick.start();
}

void ProgressPanel::SetText(const QString& text) { m_text->setText(text); }

void ProgressPanel::SetRange(int max) {
  const int pos = std::clamp(m_bar->value(), 0, std::max(max, 0));
  m_bar->setRange(0, std::max(max, 0));
  // A position outside the new range moves to its nearest end instead of vanishing.
  m_bar->setValue(pos);
  m_startPos = -1;
}

void ProgressPanel::SetPos(int pos) {
  const int clamped = std::clamp(pos, m_bar->minimum(), m_bar->maximum());
  if (clamped == m_bar->value()) return;
  m_bar->setValue(clamped);
  m_sinceMove.restart();
  // The pace is measured from the first move after the device's opening pause.
  if (m_startPos < 0 || clamped < m_startPos) {
    m_startPos = clamped;
    m_sinceStart.start();
  }
  UpdatePace();
}

void ProgressPanel::End() {
  m_tick.stop();
  hide();
}

void ProgressPanel::MarkStopping() {
  m_stopping = true;
  m_cancel->setEnabled(false);
  SetLanguage(m_lang);
}

void ProgressPanel::UpdatePace() {
  if (!isVisible()) return;
  const int pos = m_bar->value();
  const int max = m_bar->maximum();
  if (m_sinceMove.elapsed() >= kStillMs && pos < max) {
    m_pace->setText(m_lang.Text(QT_TRANSLATE_NOOP("quorvin", "Waiting for the device (%1) ..."))
                        .arg(Duration(m_lang, m_sinceMove.elapsed())));
    return;
  }
  m_pace->setText(PaceText(m_lang, pos, max, m_startPos, m_startPos < 0 ? 0 : m_sinceStart.elapsed()));
}

void ProgressPanel::Place() {
  const QWidget* window = parentWidget();
  if (!window) return;
  const int width = std::min(kPanelWidth, window->width() - 16);
  const int height = std::min(sizeHint().height(), window->height() - 16);
  setGeometry((window->width() - width) / 2, (window->height() - height) / 2, width, height);
}

bool ProgressPanel::eventFilter(QObject* watched, QEvent* event) {
  if (watched == parentWidget() && event->type() == QEvent::Resize) Place();
  return QFrame::eventFilter(watched, event);
}

}  // namespace quorvin
