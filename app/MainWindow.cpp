#include "app/MainWindow.h"

#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QDebug>
#include <QIcon>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QProgressBar>
#include <QPushButton>
#include <algorithm>

#include "app/QtFeedback.h"
#include "app/WindowLayout.h"
#include "front/FrequencyInput.h"
#include "link/SerialPort.h"
#include "link/SerialPortList.h"

namespace quorvin {

namespace {

QWidget* MakeControl(const ControlTemplate& tpl, const Language& lang, QWidget* parent) {
  QWidget* widget = nullptr;
  const QString text = lang.Text(tpl.text);
  switch (tpl.kind) {
    case ControlKind::StaticLeft:
    case ControlKind::StaticRight: {
      auto* label = new QLabel(text, parent);
      label->setTextFormat(Qt::PlainText);
      label->setAlignment((tpl.kind == ControlKind::StaticRight ? Qt::AlignRight : Qt::AlignLeft) | Qt::AlignTop);
      widget = label;
      break;
    }
    case ControlKind::ComboDropDown: {
      auto* combo = new QComboBox(parent);
      combo->setEditable(true);
      combo->setInsertPolicy(QComboBox::NoInsert);
      widget = combo;
      break;
    }
    case ControlKind::PushButton:
      widget = new QPushButton(text, parent);
      break;
    case ControlKind::AutoCheckBox:
      widget = new QCheckBox(text, parent);
      break;
    case ControlKind::EditRight: {
      auto* edit = new QLineEdit(parent);
      edit->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
      widget = edit;
      break;
    }
    case ControlKind::Progress:
      widget = new QProgressBar(parent);
      break;
  }
  return widget;
}

QIcon WindowIcon() {
  QIcon icon;
  for (int size : {16, 24, 32, 48, 64, 128, 256})
    icon.addFile(QStringLiteral(":/icons/io.github.quorvin.Setup-%1.png").arg(size), QSize(size, size));
  return icon;
}

}  // namespace

MainWindow::MainWindow(HidBackend& backend, Clock& clock, const WindowOptions& options, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                          Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint),
      m_clock(clock),
      m_demo(options.demo),
      m_chooser(std::make_unique<QtFileChooser>()),
      m_feedback(std::make_unique<QtFeedback>(*this)),
      m_link(std::make_unique<HidLink>(backend, *m_feedback, clock)),
      m_watcher(std::make_unique<DeviceWatcher>(*m_link, *m_feedback)),
      m_serialPort(std::make_unique<SerialPort>()) {
  setObjectName(QStringLiteral("MainWindow"));
  m_lang = options.language ? *options.language : Language::ForSystemLocale();
  setFont(MainWindowFont());
  setWindowIcon(WindowIcon());
  BuildControls();

  m_comboSpeed->addItems({QStringLiteral("9600"), QStringLiteral("57600"), QStringLiteral("115200")});
  ShowFrequency();
  m_checkUsb->setChecked(true);
  ApplyLanguage();
  FitLabels();
  m_comboSpeed->setCurrentIndex(2);
  FillPortList();
  ConnectSignals();
  ConnectButtons();

  m_pollTimer.setInterval(kPollIntervalMs);
  m_watchTimer.setInterval(kPollIntervalMs);
  if (options.startTimers) {
    m_pollTimer.start();
    m_watchTimer.start();
  }
}

MainWindow::~MainWindow() {
  m_pollTimer.stop();
  m_watchTimer.stop();
  // The worker may still be using the link, the feedback or the progress window: let it finish
  // (its boxes still show) before any of them goes.
  m_runner.WaitForIdle();
  m_progressDlg.reset();
}

void MainWindow::BuildControls() {
  const DialogUnits units = MainWindowUnits(font());
  QWidget* previous = nullptr;
  for (const ControlTemplate& tpl : MainWindowTemplate()) {
    QWidget* widget = MakeControl(tpl, m_lang, this);
    widget->setProperty("controlId", tpl.id);
    if (tpl.id != kNoControlId) {
      widget->setObjectName(QStringLiteral("ctl%1").arg(tpl.id));
    } else {
      widget->setObjectName(QString::fromUtf8(tpl.text) == QStringLiteral("Hz") ? QStringLiteral("ctlHzLabel")
                                                                                : QStringLiteral("ctlFreqLabel"));
    }
    QRect geometry = units.Rect(tpl.du);
    // A drop-down's template height is that of its open list; closed it is one line high.
    if (tpl.kind == ControlKind::ComboDropDown) geometry.setHeight(widget->sizeHint().height());
    widget->setGeometry(geometry);
    widget->setVisible(tpl.visible);
    // Template order is the tab order.
    if (widget->focusPolicy() != Qt::NoFocus) {
      if (previous) setTabOrder(previous, widget);
      previous = widget;
    }
  }
  m_comboPort = findChild<QComboBox*>(QStringLiteral("ctl%1").arg(ctl::ComboPort));
  m_comboSpeed = findChild<QComboBox*>(QStringLiteral("ctl%1").arg(ctl::ComboSpeed));
  m_checkUsb = findChild<QCheckBox*>(QStringLiteral("ctl%1").arg(ctl::UsbOperation));
  m_editFrequency = findChild<QLineEdit*>(QStringLiteral("ctl%1").arg(ctl::Frequency));
  // One line more than the template, for the status strip under the buttons; nothing else moves.
  m_deviceStatus = new QLabel(this);
  m_deviceStatus->setObjectName(QStringLiteral("deviceStatus"));
  m_deviceStatus->setTextFormat(Qt::PlainText);
  const QSize window = units.Size(kMainWindowDu);
  const int line = fontMetrics().height();
  m_deviceStatus->setGeometry(units.X(7), window.height() - units.Y(3), window.width() - 2 * units.X(7), line);
  setFixedSize(window + QSize(0, line));
}

QString MainWindow::LinkedIdentity() const {
  if (!m_watcher->DeviceConnected()) return {};
  const QString path = m_link->LinkedPath();
  for (const AttachedRepeater& a : m_watcher->Attached())
    if (a.info.path == path) return a.identity;
  return {};
}

void MainWindow::UpdateDeviceStatus() {
  const auto& attached = m_watcher->Attached();
  const QString identity = LinkedIdentity();
  QString text;
  if (!identity.isEmpty()) {
    text = m_version.isEmpty() || m_versionPath != m_link->LinkedPath()
               ? m_lang.Text(QT_TRANSLATE_NOOP("quorvin", "Repeater: %1")).arg(identity)
               : m_lang.Text(QT_TRANSLATE_NOOP("quorvin", "Repeater: %1, version %2")).arg(identity, m_version);
  } else if (attached.empty()) {
    text = m_lang.Text(QT_TRANSLATE_NOOP("quorvin", "No repeater attached"));
  }
  if (attached.size() > 1) {
    // The window drives the first one found; the others would be easy to take for it.
    const QString several =
        m_lang.Text(QT_TRANSLATE_NOOP("quorvin", "Warning: %1 repeaters attached, only one is used"))
            .arg(attached.size());
    text = text.isEmpty() ? several : text + QStringLiteral("  -  ") + several;
  }
  m_deviceStatus->setText(text);
}

void MainWindow::ApplyLanguage() {
  m_watcher->SetLanguage(m_lang);
  QString title = m_lang.Text(QT_TRANSLATE_NOOP("quorvin", "Setup System V1.0"));
  // Nobody should take the built-in virtual repeater for a real device.
  if (m_demo) title += m_lang.Text(QT_TRANSLATE_NOOP("quorvin", " (demo)"));
  setWindowTitle(title);
}

void MainWindow::FitLabels() {
  // A face wider than the one the layout was drawn for must not cut a label short; labels have
  // no background, so growing them past their template box changes nothing else.
  for (QLabel* label : findChildren<QLabel*>(Qt::FindDirectChildrenOnly)) {
    const QRect box = label->geometry();
    const QSize need = label->sizeHint().expandedTo(box.size());
    QRect fitted(box.topLeft(), need);
    if (label->alignment() & Qt::AlignRight) fitted.moveRight(box.right());
    label->setGeometry(fitted);
  }
}

void MainWindow::ConnectSignals() {
  connect(&m_pollTimer, &QTimer::timeout, this, &MainWindow::OnPollTimer);
  connect(&m_watchTimer, &QTimer::timeout, this, &MainWindow::OnWatchTimer);
  connect(m_checkUsb, &QCheckBox::clicked, this, &MainWindow::OnUsbCheckBoxClicked);
  connect(&m_runner, &OperationRunner::finished, this, &MainWindow::OnOperationFinished);
  // Enter in the frequency field checks the value; it never ends the tool.
  connect(m_editFrequency, &QLineEdit::returnPressed, this, [this] { (void)SaveFrequency(); });
}

QWidget* MainWindow::Control(int id) const {
  return findChild<QWidget*>(QStringLiteral("ctl%1").arg(id), Qt::FindDirectChildrenOnly);
}

bool MainWindow::UsbSelected() const { return m_checkUsb->isChecked(); }

Feedback& MainWindow::GetFeedback() { return *m_feedback; }

void MainWindow::FillPortList() {
  QStringList names;
  for (const SerialPortInfo& port : AvailableSerialPorts()) names << port.name;
  FillPortList(names);
}

void MainWindow::FillPortList(const QStringList& portNames) {
  m_comboPort->clear();
  // Kept in the order the system reports them, not sorted.
  m_comboPort->addItems(portNames);
  m_comboPort->setCurrentIndex(portNames.isEmpty() ? -1 : 0);
}

bool MainWindow::SaveFrequency() {
  QString prompt;
  const std::optional<qint32> hz = ParseFrequency(m_editFrequency->text(), m_lang, &prompt);
  if (!hz) {
    PromptInvalidFrequency(prompt);
    return false;
  }
  m_frequency = *hz;
  return true;
}

void MainWindow::PromptInvalidFrequency(const QString& text) {
  QMessageBox box(QMessageBox::Warning, windowTitle(), text, QMessageBox::Ok, this);
  box.exec();
  activateWindow();
  m_editFrequency->setFocus(Qt::OtherFocusReason);
  m_editFrequency->selectAll();
}

void MainWindow::ShowFrequency() { m_editFrequency->setText(QString::number(m_frequency)); }

void MainWindow::ShowProgress() {
  if (!m_progressDlg)
    m_progressDlg = std::make_unique<ProgressWindow>(this, !m_lang.Code().startsWith(QLatin1String("zh")));
  m_progressDlg->show();
  m_progressDlg->raise();
  SetProgressRange(3);
}

void MainWindow::SetProgressText(const QString& text) {
  if (m_progressDlg) m_progressDlg->SetText(text);
}

void MainWindow::SetProgressRange(int max) {
  if (!m_progressDlg) return;
  QProgressBar* bar = m_progressDlg->Bar();
  const int pos = std::clamp(bar->value(), 0, std::max(max, 0));
  bar->setRange(0, std::max(max, 0));
  // A position outside the new range moves to its nearest end instead of vanishing.
  bar->setValue(pos);
}

void MainWindow::SetProgressPos(int pos) {
  if (!m_progressDlg) return;
  QProgressBar* bar = m_progressDlg->Bar();
  bar->setValue(std::clamp(pos, bar->minimum(), bar->maximum()));
}

int MainWindow::ProgressPos() const { return m_progressDlg ? std::max(m_progressDlg->Bar()->value(), 0) : 0; }

void MainWindow::CloseProgress() {
  m_progressDlg.reset();
  setEnabled(true);
  activateWindow();
  setFocus(Qt::OtherFocusReason);
}

bool MainWindow::PumpMessages() {
  QCoreApplication::processEvents();
  return true;
}

bool MainWindow::StartOperation(std::function<void()> op) {
  return m_runner.Start([this, op = std::move(op)] {
    // Nothing may escape the worker: an exception there would end the whole tool.
    try {
      op();
    } catch (const std::exception& e) {
      ReportUnexpected(QString::fromUtf8(e.what()));
    } catch (...) {
      ReportUnexpected(QString());
    }
  });
}

void MainWindow::ReportUnexpected(const QString& what) {
  m_serialPort->Close();
  m_feedback->CloseProgress();
  QString text = m_lang.Text(QT_TRANSLATE_NOOP("quorvin", "The operation stopped unexpectedly."));
  if (!what.isEmpty()) text += QLatin1Char('\n') + what;
  m_feedback->MessageBox(text, MsgIcon::Critical);
}

void MainWindow::OnPollTimer() {
  bool stop = false;
  // Discovery never runs inside a transfer: a busy tick is simply skipped.
  if (!m_runner.RunExclusive([&] { stop = m_watcher->PollTick(); })) return;
  if (stop) m_pollTimer.stop();
  UpdateDeviceStatus();
}

void MainWindow::OnWatchTimer() {
  bool removed = false;
  if (!m_runner.RunExclusive([&] { removed = m_watcher->WatchTick(); })) return;
  UpdateDeviceStatus();
  if (removed) {
    qInfo().noquote() << "device removed; polling again";
    m_pollTimer.start();
  }
}

void MainWindow::OnUsbCheckBoxClicked(bool checked) {
  (void)m_runner.RunExclusive([&] { m_watcher->OnUsbCheckBoxClicked(checked); });
}

void MainWindow::OnOperationFinished() {
  UpdateDeviceStatus();
  if (m_closePending) {
    m_closePending = false;
    if (m_closeNotice) m_closeNotice->close();
    reject();
  }
}

void MainWindow::ShowClosePendingNotice() {
  // Without a word the close box would seem to do nothing. The notice waits for no answer: the
  // window keeps painting and the operation runs on; it goes with the window.
  if (!m_closeNotice) {
    m_closeNotice =
        new QMessageBox(QMessageBox::Information, windowTitle(),
                        m_lang.Text(QT_TRANSLATE_NOOP("quorvin", "The window will close when the operation ends.")),
                        QMessageBox::Ok, this);
    m_closeNotice->setObjectName(QStringLiteral("closePendingNotice"));
    m_closeNotice->setWindowModality(Qt::NonModal);
    m_closeNotice->setAttribute(Qt::WA_DeleteOnClose);
  }
  m_closeNotice->show();
  // Below the progress window rather than over its bar: the technician still sees how far the
  // operation is.
  if (m_progressDlg && m_progressDlg->isVisible()) {
    const QRect progress = m_progressDlg->frameGeometry();
    m_closeNotice->move(frameGeometry().center().x() - m_closeNotice->frameGeometry().width() / 2,
                        progress.bottom() + 8);
  }
  m_closeNotice->raise();
}

void MainWindow::keyPressEvent(QKeyEvent* event) {
  const int key = event->key();
  if (key == Qt::Key_Escape && m_runner.IsBusy()) {
    // Escape is easily hit by accident during a long transfer; it closes nothing then.
    event->accept();
    return;
  }
  if ((key == Qt::Key_Return || key == Qt::Key_Enter) && focusWidget() == m_editFrequency) {
    event->accept();
    return;
  }
  QDialog::keyPressEvent(event);
}

void MainWindow::reject() {
  if (m_runner.IsBusy()) {
    // The close box during an operation: the window goes once the operation has ended, never
    // from under it.
    m_closePending = true;
    ShowClosePendingNotice();
    return;
  }
  QDialog::reject();
}

}  // namespace quorvin
