#include "app/MainWindow.h"

#include <QAction>
#include <QActionGroup>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QCoreApplication>
#include <QDebug>
#include <QDockWidget>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QIcon>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QMessageBox>
#include <QMimeData>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QScrollArea>
#include <QShortcut>
#include <QStatusBar>
#include <QTabBar>
#include <QVBoxLayout>

#include "app/AboutDialog.h"
#include "app/Controls.h"
#include "app/DeviceCard.h"
#include "app/DoctorView.h"
#include "app/HistoryView.h"
#include "app/LinkPanel.h"
#include "app/LogPane.h"
#include "app/OperationsPanel.h"
#include "app/ProgressPanel.h"
#include "app/QtFeedback.h"
#include "app/Settings.h"
#include "app/SnapshotsView.h"
#include "app/UnitList.h"
#include "host/History.h"
#include "link/SerialPort.h"

namespace quorvin {

namespace {

QIcon WindowIcon() {
  QIcon icon;
  for (int size : {16, 24, 32, 48, 64, 128, 256})
    icon.addFile(QStringLiteral(":/icons/io.github.quorvin.Setup-%1.png").arg(size), QSize(size, size));
  return icon;
}

QMessageBox::Icon ToQt(MsgIcon icon) {
  switch (icon) {
    case MsgIcon::Information:
      return QMessageBox::Information;
    case MsgIcon::Warning:
      return QMessageBox::Warning;
    case MsgIcon::Critical:
      return QMessageBox::Critical;
    case MsgIcon::None:
      break;
  }
  return QMessageBox::NoIcon;
}

}  // namespace

Language MainWindow::StartLanguage() {
  const QString code = Settings::LanguageCode();
  if (code == QLatin1String("zh")) return Language::Load(QStringLiteral("zh_CN"));
  if (code == QLatin1String("en")) return Language();
  return Language::ForSystemLocale();
}

MainWindow::MainWindow(HidBackend& backend, Clock& clock, const WindowOptions& options, QWidget* parent)
    : QMainWindow(parent),
      m_backend(backend),
      m_clock(clock),
      m_demo(options.demo),
      m_lang(options.language ? *options.language : StartLanguage()),
      m_chooser(std::make_unique<QtFileChooser>()),
      m_asker(std::make_unique<DialogAsker>()),
      m_feedback(std::make_unique<QtFeedback>(*this)),
      m_serialPort(std::make_unique<SerialPort>()) {
  setObjectName(QStringLiteral("MainWindow"));
  setWindowIcon(WindowIcon());
  setAcceptDrops(true);
  BuildWindow();
  BuildViews();
  BuildMenus();
  RestoreSettings();
  Retranslate();
  // Once the worker is free: a click that came during a unit's first look, else the next look.
  connect(&m_runner, &OperationRunner::finished, this, [this] {
    if (std::exchange(m_closing, false)) {
      close();  // the stopped operation has ended: the close asked for goes ahead
      return;
    }
    if (const std::optional<int> click = std::exchange(m_pendingClick, std::nullopt))
      OnButton(*click);
    else
      ProbeNext();
  });
  m_watcher = std::make_unique<UnitWatcher>(
      m_backend, [this](const Sight& sight) { ApplySight(sight); }, options.watchIntervalMs);
  if (options.startTimers) m_watcher->Start();
}

MainWindow::~MainWindow() {
  m_watcher->Stop();
  // The worker may still be using the link, the feedback or the progress panel: let it finish
  // (asked to stop) before any of them goes.
  m_cancel = true;
  m_runner.WaitForIdle();
}

void MainWindow::BuildWindow() {
  m_units = new UnitList(m_lang);
  m_units->setMinimumHeight(60);
  m_card = new DeviceCard(m_lang);
  m_link = new LinkPanel(m_lang);
  m_ops = new OperationsPanel(m_lang);

  auto* right = new QVBoxLayout;
  right->addWidget(m_card);
  right->addWidget(m_link);
  right->addStretch(1);
  auto* top = new QHBoxLayout;
  top->addWidget(m_units, 3);
  top->addLayout(right, 2);
  auto* content = new QWidget;
  auto* column = new QVBoxLayout(content);
  column->addLayout(top, 1);
  column->addWidget(m_ops);
  // A small screen (1024x600 at twice the scale) scrolls the content instead of cutting it.
  auto* scroll = new QScrollArea;
  scroll->setObjectName(QStringLiteral("mainScroll"));
  scroll->setWidgetResizable(true);
  scroll->setFrameShape(QFrame::NoFrame);
  scroll->setWidget(content);
  setCentralWidget(scroll);

  m_status = new QLabel;
  m_status->setObjectName(QStringLiteral("deviceStatus"));
  m_status->setTextFormat(Qt::PlainText);
  m_status->setWordWrap(true);
  statusBar()->addWidget(m_status, 1);
  m_progress = new ProgressPanel(this, m_lang);
  connect(m_progress, &ProgressPanel::cancelRequested, this, &MainWindow::Cancel);

  connect(m_ops, &OperationsPanel::clicked, this, &MainWindow::OnButton);
  connect(m_ops, &OperationsPanel::frequencyEntered, this, [this] { OnButton(ctl::SetFrequency); });
  connect(m_ops->VerifyBox(), &QCheckBox::toggled, this, [](bool on) { Settings::SetVerifyAfterDownload(on); });
  connect(m_ops->SnapshotBox(), &QCheckBox::toggled, this, [](bool on) { Settings::SetSnapshotBeforeChanges(on); });
  connect(m_units, &UnitList::chosenChanged, this, &MainWindow::OnChosenChanged);
  connect(m_link, &LinkPanel::changed, this, &MainWindow::OnLinkChanged);
  // Escape stops a running operation, and closes the window when none runs: once, either way.
  auto* escape = new QShortcut(QKeySequence(Qt::Key_Escape), this);
  connect(escape, &QShortcut::activated, this, [this] { Working() ? Cancel() : (void)close(); });
  // A harmless control holds the first focus: Enter or Space right after start changes nothing.
  m_units->setFocus(Qt::OtherFocusReason);
  setTabOrder(m_units, m_link->UsbButton());
  setTabOrder(m_link->SpeedBox(), m_ops->FrequencyField());
}

void MainWindow::BuildViews() {
  // Around the operations, in docks the technician may move, close or bring back (View menu):
  // the log of this session, the snapshots, the history of every program, the doctor.
  m_log = new LogPane(m_lang, nullptr, this);
  m_snapshots = new SnapshotsView(m_lang, this);
  m_history = new HistoryView(m_lang, this);
  m_doctor = new DoctorView(m_lang, QStringLiteral("/"), this);
  const struct {
    QWidget* view;
    const char* name;
  } views[] = {
      {m_log, "dockLog"}, {m_snapshots, "dockSnapshots"}, {m_history, "dockHistory"}, {m_doctor, "dockDoctor"}};
  QDockWidget* first = nullptr;
  for (const auto& v : views) {
    auto* dock = new QDockWidget(this);
    dock->setObjectName(QLatin1String(v.name));
    // A view scrolls in a small dock rather than holding the window above a small screen's size.
    auto* scroll = new QScrollArea(dock);
    scroll->setObjectName(QLatin1String(v.name) + QStringLiteral("Scroll"));
    scroll->setWidgetResizable(true);
    scroll->setFrameShape(QFrame::NoFrame);
    scroll->setWidget(v.view);
    scroll->setMinimumHeight(40);
    dock->setWidget(scroll);
    dock->setFeatures(QDockWidget::DockWidgetClosable | QDockWidget::DockWidgetMovable |
                      QDockWidget::DockWidgetFloatable);
    addDockWidget(Qt::BottomDockWidgetArea, dock);
    if (first) tabifyDockWidget(first, dock);
    first = first ? first : dock;
  }
  first->raise();  // the log is the tab shown at first
  connect(m_snapshots, &SnapshotsView::restoreRequested, this, &MainWindow::RequestRestore);
  connect(m_snapshots, &SnapshotsView::takeRequested, this, &MainWindow::RequestSnapshot);
}

void MainWindow::BuildMenus() {
  // Built once; Retranslate labels them. Each action keeps its text's source in its data.
  const auto add = [this](QMenu* menu, const char* name, auto slot, const QKeySequence& keys = {}) {
    QAction* action = menu->addAction(QString());
    action->setObjectName(QLatin1String(name));
    action->setShortcut(keys);
    connect(action, &QAction::triggered, this, slot);
    return action;
  };
  QMenu* file = menuBar()->addMenu(QString());
  file->setObjectName(QStringLiteral("menuFile"));
  add(file, "actionUpgrade", [this] { OnButton(ctl::Upgrade); });
  add(file, "actionDownload", [this] { OnButton(ctl::BackupDownload); });
  add(file, "actionReadBack", [this] { OnButton(ctl::BackupReadBack); });
  file->addSeparator();
  add(file, "actionSaveLog", [this] { m_log->Save(); });
  add(file, "actionBundle", [this] {
    FileQuestion q{m_lang.Text(QT_TRANSLATE_NOOP("quorvin", "Save a support bundle as")),
                   Settings::Folder(FileUseKind::Bundle), QStringLiteral("quorvin-support.tar"),
                   m_lang.Text(QT_TRANSLATE_NOOP("quorvin", "Support bundles (*.tar)"))};
    const QString path = m_chooser->SaveBin(this, q);
    if (path.isEmpty()) return;
    Settings::SetFolder(FileUseKind::Bundle, QFileInfo(path).absolutePath());
    SaveSupportBundle(path);
  });
  file->addSeparator();
  add(
      file, "actionQuit", [this] { close(); }, QKeySequence::Quit);
  QMenu* unit = menuBar()->addMenu(QString());
  unit->setObjectName(QStringLiteral("menuRepeater"));
  add(unit, "actionVersion", [this] { OnButton(ctl::ReadVersion); });
  add(unit, "actionFrequencyGet", [this] { OnButton(ctl::ReadFrequency); });
  add(unit, "actionFrequencySet", [this] { OnButton(ctl::SetFrequency); });
  add(unit, "actionInitButtons", [this] { OnButton(ctl::InitCallButtons); });
  unit->addSeparator();
  add(
      unit, "actionRefresh", [this] { LookNow(); }, QKeySequence::Refresh);
  QMenu* view = menuBar()->addMenu(QString());
  view->setObjectName(QStringLiteral("menuView"));
  for (const char* name : {"dockLog", "dockSnapshots", "dockHistory", "dockDoctor"}) {
    QAction* toggle = findChild<QDockWidget*>(QLatin1String(name))->toggleViewAction();
    toggle->setObjectName(QStringLiteral("action") + QLatin1String(name + 4));
    view->addAction(toggle);
  }
  QMenu* settings = menuBar()->addMenu(QString());
  settings->setObjectName(QStringLiteral("menuSettings"));
  QAction* ask = add(settings, "actionAsk", [](bool on) { Settings::SetAskBeforeChanges(on); });
  ask->setCheckable(true);
  ask->setChecked(Settings::AskBeforeChanges());
  QAction* probe = add(settings, "actionProbe", [](bool on) { Settings::SetProbeOnConnect(on); });
  probe->setCheckable(true);
  probe->setChecked(Settings::ProbeOnConnect());
  QMenu* language = settings->addMenu(QString());
  language->setObjectName(QStringLiteral("menuLanguage"));
  auto* group = new QActionGroup(this);
  for (const auto& [name, code] : {std::pair{"actionEnglish", "en"}, std::pair{"actionChinese", "zh"}}) {
    QAction* a = add(language, name, [this, code = QString::fromLatin1(code)] {
      Settings::SetLanguageCode(code);
      SetLanguage(code == QLatin1String("zh") ? Language::Load(QStringLiteral("zh_CN")) : Language());
    });
    a->setCheckable(true);
    group->addAction(a);
  }
  QMenu* help = menuBar()->addMenu(QString());
  help->setObjectName(QStringLiteral("menuHelp"));
  add(
      help, "actionHelp", [this] { ShowHelp(); }, QKeySequence::HelpContents);
  add(help, "actionDoctor", [this] {
    QDockWidget* dock = findChild<QDockWidget*>(QStringLiteral("dockDoctor"));
    dock->show();
    dock->raise();
    m_doctor->Check();
  });
  add(help, "actionAbout", [this] { ShowAbout(); });
}

void MainWindow::Retranslate() {
  const Language& l = m_lang;
  // One name in both languages; the demo says it is one, so nobody takes it for a real device.
  QString title = ProductTitle(l) + QStringLiteral(" " QUORVIN_VERSION);
  if (m_demo) title += l.Text(QT_TRANSLATE_NOOP("quorvin", " (demo)"));
  setWindowTitle(title);
  const struct {
    const char* name;
    const char* text;
  } texts[] = {
      {"menuFile", QT_TRANSLATE_NOOP("quorvin", "&File")},
      {"actionUpgrade", QT_TRANSLATE_NOOP("quorvin", "&Upgrade the firmware...")},
      {"actionDownload", QT_TRANSLATE_NOOP("quorvin", "&Download backup data into the repeater...")},
      {"actionReadBack", QT_TRANSLATE_NOOP("quorvin", "&Read the backup data into a file...")},
      {"actionSaveLog", QT_TRANSLATE_NOOP("quorvin", "Save the &log...")},
      {"actionBundle", QT_TRANSLATE_NOOP("quorvin", "Save a support &bundle...")},
      {"menuView", QT_TRANSLATE_NOOP("quorvin", "&View")},
      {"dockLog", QT_TRANSLATE_NOOP("quorvin", "&Log")},
      {"dockSnapshots", QT_TRANSLATE_NOOP("quorvin", "&Snapshots")},
      {"dockHistory", QT_TRANSLATE_NOOP("quorvin", "&History")},
      {"dockDoctor", QT_TRANSLATE_NOOP("quorvin", "&Doctor")},
      {"actionDoctor", QT_TRANSLATE_NOOP("quorvin", "&Doctor")},
      {"actionQuit", QT_TRANSLATE_NOOP("quorvin", "&Quit")},
      {"menuRepeater", QT_TRANSLATE_NOOP("quorvin", "&Repeater")},
      {"actionVersion", QT_TRANSLATE_NOOP("quorvin", "Read the &version")},
      {"actionFrequencyGet", QT_TRANSLATE_NOOP("quorvin", "Read the &frequency")},
      {"actionFrequencySet", QT_TRANSLATE_NOOP("quorvin", "&Set the frequency")},
      {"actionInitButtons", QT_TRANSLATE_NOOP("quorvin", "&Initialize call button data")},
      {"actionRefresh", QT_TRANSLATE_NOOP("quorvin", "Look for repeaters &again")},
      {"menuSettings", QT_TRANSLATE_NOOP("quorvin", "&Settings")},
      {"actionAsk", QT_TRANSLATE_NOOP("quorvin", "&Ask before every change")},
      {"actionProbe", QT_TRANSLATE_NOOP("quorvin", "Read version and frequency on &connect")},
      {"menuLanguage", QT_TRANSLATE_NOOP("quorvin", "&Language")},
      {"menuHelp", QT_TRANSLATE_NOOP("quorvin", "&Help")},
      {"actionHelp", QT_TRANSLATE_NOOP("quorvin", "&Help")},
      {"actionAbout", QT_TRANSLATE_NOOP("quorvin", "&About")},
  };
  for (const auto& t : texts) {
    if (auto* menu = findChild<QMenu*>(QLatin1String(t.name))) menu->setTitle(l.Text(t.text));
    if (auto* action = findChild<QAction*>(QLatin1String(t.name))) action->setText(l.Text(t.text));
    if (auto* dock = findChild<QDockWidget*>(QLatin1String(t.name))) {
      dock->setWindowTitle(QString(l.Text(t.text)).remove(QLatin1Char('&')));
      dock->toggleViewAction()->setText(l.Text(t.text));
    }
  }
  // Each language is named in its own script, so a technician can find theirs whatever is shown.
  findChild<QAction*>(QStringLiteral("actionEnglish"))->setText(QStringLiteral("English"));
  findChild<QAction*>(QStringLiteral("actionChinese"))->setText(QStringLiteral("中文"));
  findChild<QAction*>(QStringLiteral("actionEnglish"))->setChecked(l.IsEnglish());
  findChild<QAction*>(QStringLiteral("actionChinese"))->setChecked(!l.IsEnglish());
  m_units->SetLanguage(l);
  m_card->SetLanguage(l);
  m_link->SetLanguage(l);
  m_ops->SetLanguage(l);
  m_progress->SetLanguage(l);
  m_log->SetLanguage(l);
  m_snapshots->SetLanguage(l);
  m_history->SetLanguage(l);
  m_doctor->SetLanguage(l);
  m_status->setAccessibleName(l.Text(QT_TRANSLATE_NOOP("quorvin", "Status")));
  // The docks' tabs, which the window makes as it tabifies them.
  for (QTabBar* tabs : findChildren<QTabBar*>(Qt::FindDirectChildrenOnly)) {
    tabs->setAccessibleName(l.Text(QT_TRANSLATE_NOOP("quorvin", "Views")));
    tabs->setToolTip(l.Text(QT_TRANSLATE_NOOP("quorvin", "The log, the snapshots, the history and the doctor")));
  }
  ShowChosen();
}

void MainWindow::SetLanguage(const Language& lang) {
  m_lang = lang;
  Retranslate();
}

void MainWindow::RestoreSettings() {
  m_ops->VerifyBox()->setChecked(Settings::VerifyAfterDownload());
  m_ops->SnapshotBox()->setChecked(Settings::SnapshotBeforeChanges());
  m_link->SetSpeed(Settings::LastSpeed());
  m_link->SetSerial(Settings::SerialLink());
  if (!restoreGeometry(Settings::Geometry())) {
    // A first start: roomy where the screen allows, never larger than it.
    const QRect screen = this->screen() ? this->screen()->availableGeometry() : QRect(0, 0, 1024, 768);
    resize(std::min(960, screen.width() - 40), std::min(760, screen.height() - 60));
  }
  // The views below get what the operations leave of the window at first: the operations are what a
  // technician came for. Where too little is left, they start hidden, one click away (View menu).
  if (!restoreState(Settings::WindowState())) {
    const auto* scroll = findChild<QScrollArea*>(QStringLiteral("mainScroll"));
    const int content = scroll && scroll->widget() ? scroll->widget()->minimumSizeHint().height() : 450;
    const int chrome = menuBar()->sizeHint().height() + statusBar()->sizeHint().height();
    const int spare = height() - content - chrome - 48;
    if (spare < 120)
      for (QDockWidget* dock : findChildren<QDockWidget*>()) dock->hide();
    else
      resizeDocks({findChild<QDockWidget*>(QStringLiteral("dockLog"))}, {std::min(spare, 220)}, Qt::Vertical);
  }
}

QWidget* MainWindow::Control(int id) const { return findChild<QWidget*>(QStringLiteral("ctl%1").arg(id)); }

bool MainWindow::UsbSelected() const { return !m_link->Serial(); }

Feedback& MainWindow::GetFeedback() { return *m_feedback; }

void MainWindow::SetBusy(bool busy) {
  m_busy = busy;
  m_ops->SetBusy(busy);
  m_link->SetBusy(busy);
  m_units->setEnabled(!busy);
}

bool MainWindow::Working() const { return m_runner.IsBusy() && !m_probing; }

void MainWindow::Cancel() {
  if (!Working() || m_cancel.exchange(true)) return;
  m_progress->MarkStopping();
}

void MainWindow::ShowProgress() {
  if (!m_progress->isVisible()) m_progress->Begin();
  SetProgressRange(3);
}

void MainWindow::SetProgressText(const QString& text) { m_progress->SetText(text); }
void MainWindow::SetProgressRange(int max) { m_progress->SetRange(max); }
void MainWindow::SetProgressPos(int pos) { m_progress->SetPos(pos); }
int MainWindow::ProgressPos() const { return m_progress->isVisible() ? std::max(m_progress->Bar()->value(), 0) : 0; }

void MainWindow::CloseProgress() {
  m_progress->End();
  activateWindow();
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
      qWarning().noquote() << "the operation stopped unexpectedly:" << e.what();
    } catch (...) {
      qWarning().noquote() << "the operation stopped unexpectedly";
    }
  });
}

void MainWindow::ShowBox(MsgIcon icon, const QString& text, const QString& details) {
  QMessageBox box(ToQt(icon), ProductTitle(m_lang), text, QMessageBox::Ok, this);
  box.setObjectName(QStringLiteral("runOutcome"));
  if (!details.isEmpty()) box.setInformativeText(details);
  box.setTextInteractionFlags(Qt::TextSelectableByMouse);
  m_openBox = &box;
  box.exec();
  m_openBox = nullptr;
}

void MainWindow::closeEvent(QCloseEvent* event) {
  if (Working()) {
    event->ignore();
    if (m_closing) return;
    // A way out of a long operation that keeps the unit's state known: it is stopped as Cancel
    // stops it, and the window goes once it has.
    QMessageBox ask(QMessageBox::Question, ProductTitle(m_lang),
                    m_lang.Text(QT_TRANSLATE_NOOP("quorvin", "An operation is running. Stop it and close the window?")),
                    QMessageBox::NoButton, this);
    ask.setObjectName(QStringLiteral("closeWhileBusy"));
    QPushButton* stop =
        ask.addButton(m_lang.Text(QT_TRANSLATE_NOOP("quorvin", "&Stop and close")), QMessageBox::AcceptRole);
    AddSafeAnswer(ask, m_lang.Text(QT_TRANSLATE_NOOP("quorvin", "&Keep it running")));
    ask.exec();
    if (ask.clickedButton() != stop || !Working()) {
      if (!Working()) close();
      return;
    }
    m_closing = true;
    Cancel();
    return;
  }
  Settings::SetGeometry(saveGeometry(), saveState());
  m_watcher->Stop();
  // A unit's first look may still be under way: it is short, and stopped like any run.
  m_cancel = true;
  m_runner.WaitForIdle();
  event->accept();
}

void MainWindow::dragEnterEvent(QDragEnterEvent* event) {
  const QList<QUrl> urls = event->mimeData()->urls();
  if (!Working() && urls.size() == 1 && urls.front().isLocalFile()) event->acceptProposedAction();
}

void MainWindow::dropEvent(QDropEvent* event) {
  const QList<QUrl> urls = event->mimeData()->urls();
  if (Working() || urls.size() != 1 || !urls.front().isLocalFile()) return;
  event->acceptProposedAction();
  // Asked once the drop is over, so the file manager the file came from is not held meanwhile.
  QMetaObject::invokeMethod(
      this, [this, path = urls.front().toLocalFile()] { OfferFile(path); }, Qt::QueuedConnection);
}

void MainWindow::OfferFile(const QString& path) {
  if (Working()) return;
  // What the file is for, asked before anything is sent, with what the file is.
  QMessageBox ask(
      QMessageBox::Question, ProductTitle(m_lang),
      m_lang.Text(QT_TRANSLATE_NOOP("quorvin", "What should be done with %1 on %2?")).arg(path, ChosenName()),
      QMessageBox::NoButton, this);
  ask.setObjectName(QStringLiteral("dropQuestion"));
  ask.setInformativeText(FileFactsText(m_lang, QFileInfo(path).size(), FileSha256(path)));
  QPushButton* upgrade =
      ask.addButton(m_lang.Text(QT_TRANSLATE_NOOP("quorvin", "&Upgrade the firmware")), QMessageBox::AcceptRole);
  QPushButton* download =
      ask.addButton(m_lang.Text(QT_TRANSLATE_NOOP("quorvin", "&Download the backup data")), QMessageBox::AcceptRole);
  AddSafeAnswer(ask, m_lang.Text(QT_TRANSLATE_NOOP("quorvin", "&Cancel")));
  ask.exec();
  if (ask.clickedButton() == upgrade) RequestUpgrade(path);
  if (ask.clickedButton() == download) RequestDownload(path);
}

void MainWindow::ShowHelp() {
  ShowBox(MsgIcon::Information, ProductTitle(m_lang),
          m_lang.Text(QT_TRANSLATE_NOOP(
              "quorvin",
              "Choose the repeater in the list (or a serial port under Link), then use the buttons. Every change "
              "asks first; Cancel or Esc stops a running operation.\nAlt and the underlined letter presses a "
              "button; Ctrl+Q quits; F5 looks for repeaters again.\nThe terminal tool quorvinctl does the same "
              "(quorvinctl --help).")));
}

void MainWindow::ShowAbout() {
  AboutDialog about(m_lang, this);
  about.exec();
}

}  // namespace quorvin
