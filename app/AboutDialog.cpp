#include "app/AboutDialog.h"

#include <QFile>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollArea>
#include <QSettings>
#include <QTabBar>
#include <QTabWidget>
#include <QVBoxLayout>

#include "front/Snapshot.h"
#include "host/History.h"
#include "link/HidapiBackend.h"

namespace quorvin {

namespace {

QLabel* Caption(QWidget* parent) {
  auto* label = new QLabel(parent);
  label->setTextFormat(Qt::PlainText);
  return label;
}

QLabel* ValueLabel(const QString& text, QWidget* parent) {
  auto* label = new QLabel(text, parent);
  label->setTextFormat(Qt::PlainText);
  label->setWordWrap(true);
  label->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
  return label;
}

// A path in a read-only field: selectable and copyable, scrolled within itself when long, so a
// narrow window never cuts it.
QLineEdit* PathField(const QString& path, QWidget* parent) {
  auto* field = new QLineEdit(path, parent);
  field->setReadOnly(true);
  field->setCursorPosition(0);
  field->setMinimumWidth(field->fontMetrics().averageCharWidth() * 16);
  return field;
}

// A page scrolls rather than being cut when the window is small.
QWidget* Scrolled(QWidget* page, QWidget* parent) {
  auto* area = new QScrollArea(parent);
  area->setWidget(page);
  area->setWidgetResizable(true);
  area->setFrameShape(QFrame::NoFrame);
  area->setFocusPolicy(Qt::NoFocus);
  return area;
}

}  // namespace

QString AboutDialog::SettingsPath() {
  return QSettings(QSettings::NativeFormat, QSettings::UserScope, QStringLiteral("quorvin"),
                   QStringLiteral("quorvin-setup"))
      .fileName();
}

AboutDialog::AboutDialog(const Language& lang, QWidget* parent) : QDialog(parent), m_lang(lang) {
  setObjectName(QStringLiteral("AboutDialog"));
  m_tabs = new QTabWidget(this);
  m_tabs->setObjectName(QStringLiteral("aboutTabs"));
  m_tabs->addTab(Scrolled(BuildAboutPage(), m_tabs), QString());
  m_tabs->addTab(Scrolled(BuildFilesPage(), m_tabs), QString());
  m_tabs->addTab(BuildLicencePage(), QString());
  m_close = new QPushButton(this);
  m_close->setObjectName(QStringLiteral("aboutClose"));
  m_close->setDefault(true);
  connect(m_close, &QPushButton::clicked, this, &QDialog::accept);

  auto* buttons = new QHBoxLayout;
  buttons->addStretch(1);
  buttons->addWidget(m_close);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(m_tabs, 1);
  layout->addLayout(buttons);
  SetLanguage(lang);
}

QWidget* AboutDialog::BuildAboutPage() {
  auto* page = new QWidget;
  m_title = new QLabel(page);
  m_title->setObjectName(QStringLiteral("aboutTitle"));
  m_title->setTextFormat(Qt::PlainText);
  m_title->setText(QStringLiteral("quorvin-setup %1").arg(QStringLiteral(QUORVIN_VERSION)));
  QFont big = m_title->font();
  big.setBold(true);
  big.setPointSizeF(big.pointSizeF() * 1.25);
  m_title->setFont(big);
  m_summary = ValueLabel(QString(), page);
  m_version = {Caption(page), ValueLabel(QStringLiteral(QUORVIN_VERSION), page)};
  m_licence = {Caption(page), ValueLabel(QString(), page)};
  m_qt = {Caption(page), ValueLabel(QString(), page)};
  m_hidapi = {Caption(page), ValueLabel(QString(), page)};
  m_version.value->setObjectName(QStringLiteral("aboutVersion"));
  m_qt.value->setObjectName(QStringLiteral("aboutQt"));
  m_hidapi.value->setObjectName(QStringLiteral("aboutHidapi"));
  auto* form = new QFormLayout;
  form->setRowWrapPolicy(QFormLayout::WrapLongRows);
  for (const Row* row : {&m_version, &m_licence, &m_qt, &m_hidapi}) form->addRow(row->caption, row->value);
  auto* layout = new QVBoxLayout(page);
  layout->addWidget(m_title);
  layout->addWidget(m_summary);
  layout->addLayout(form);
  layout->addStretch(1);
  return page;
}

QWidget* AboutDialog::BuildFilesPage() {
  auto* page = new QWidget;
  m_history = {Caption(page), PathField(HistoryPath(), page)};
  m_recording = {Caption(page), PathField(LastRecordingPath(), page)};
  m_snapshots = {Caption(page), PathField(SnapshotRoot(), page)};
  m_settings = {Caption(page), PathField(SettingsPath(), page)};
  m_history.value->setObjectName(QStringLiteral("aboutHistoryPath"));
  m_recording.value->setObjectName(QStringLiteral("aboutRecordingPath"));
  m_snapshots.value->setObjectName(QStringLiteral("aboutSnapshotsPath"));
  m_settings.value->setObjectName(QStringLiteral("aboutSettingsPath"));
  auto* form = new QFormLayout(page);
  form->setRowWrapPolicy(QFormLayout::WrapLongRows);
  form->setFieldGrowthPolicy(QFormLayout::AllNonFixedFieldsGrow);
  for (const Row* row : {&m_history, &m_recording, &m_snapshots, &m_settings}) {
    row->caption->setBuddy(row->value);
    form->addRow(row->caption, row->value);
  }
  return page;
}

QWidget* AboutDialog::BuildLicencePage() {
  m_licenceText = new QPlainTextEdit;
  m_licenceText->setObjectName(QStringLiteral("aboutLicenceText"));
  m_licenceText->setReadOnly(true);
  m_licenceText->setTabChangesFocus(true);
  m_licenceText->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
  QFile licence(QStringLiteral(":/licence/LICENSE"));
  if (licence.open(QIODevice::ReadOnly)) {
    // The file is wrapped for a terminal; here each paragraph flows to the window's width.
    QStringList paragraphs = QString::fromUtf8(licence.readAll()).trimmed().split(QStringLiteral("\n\n"));
    for (QString& paragraph : paragraphs) paragraph.replace(QLatin1Char('\n'), QLatin1Char(' '));
    m_licenceText->setPlainText(paragraphs.join(QStringLiteral("\n\n")));
  }
  return m_licenceText;
}

void AboutDialog::SetLanguage(const Language& lang) {
  m_lang = lang;
  const auto text = [&](const char* source) { return lang.Text(source); };
  const auto label = [](const Row& row, const QString& caption, const QString& tip) {
    row.caption->setText(caption);
    // Read out without the mnemonic's marker and the colon (a Chinese one too).
    QString name = QString(caption).remove(QLatin1Char('&'));
    while (name.endsWith(QLatin1Char(':')) || name.endsWith(QChar(0xFF1A))) name.chop(1);
    row.caption->setAccessibleName(name);
    row.value->setAccessibleName(name);
    row.value->setToolTip(tip);
  };
  setWindowTitle(text(QT_TRANSLATE_NOOP("quorvin", "About quorvin-setup")));
  m_tabs->setTabText(0, text(QT_TRANSLATE_NOOP("quorvin", "&About")));
  m_tabs->setTabText(1, text(QT_TRANSLATE_NOOP("quorvin", "&Files")));
  m_tabs->setTabText(2, text(QT_TRANSLATE_NOOP("quorvin", "&Licence")));
  m_tabs->setAccessibleName(text(QT_TRANSLATE_NOOP("quorvin", "About quorvin-setup")));
  m_tabs->setToolTip(text(QT_TRANSLATE_NOOP("quorvin", "The tool's version, where it keeps things, its licence")));
  m_tabs->tabBar()->setAccessibleName(text(QT_TRANSLATE_NOOP("quorvin", "Pages")));
  m_tabs->tabBar()->setToolTip(
      text(QT_TRANSLATE_NOOP("quorvin", "The tool's version, where it keeps things, its licence")));
  m_title->setAccessibleName(text(QT_TRANSLATE_NOOP("quorvin", "Name and version")));
  m_summary->setText(text(QT_TRANSLATE_NOOP(
      "quorvin", "Sets up the radio repeater over USB or a serial port: firmware, backup data, frequency, buttons.")));
  m_summary->setAccessibleName(text(QT_TRANSLATE_NOOP("quorvin", "What the tool does")));
  m_summary->setToolTip(text(QT_TRANSLATE_NOOP("quorvin", "What the tool does")));

  label(m_version, text(QT_TRANSLATE_NOOP("quorvin", "Version:")),
        text(QT_TRANSLATE_NOOP("quorvin", "The version of quorvin-setup")));
  static_cast<QLabel*>(m_licence.value)->setText(text(QT_TRANSLATE_NOOP("quorvin", "MIT License (see Licence)")));
  label(m_licence, text(QT_TRANSLATE_NOOP("quorvin", "Licence:")),
        text(QT_TRANSLATE_NOOP("quorvin", "The licence quorvin-setup is given under")));
  static_cast<QLabel*>(m_qt.value)
      ->setText(text(QT_TRANSLATE_NOOP("quorvin", "%1 (built with %2)"))
                    .arg(QString::fromLatin1(qVersion()), QStringLiteral(QT_VERSION_STR)));
  label(m_qt, text(QT_TRANSLATE_NOOP("quorvin", "Qt:")),
        text(QT_TRANSLATE_NOOP("quorvin", "The Qt version the window runs on, and the one it was built with")));
  const QString hidapi = HidapiVersionText();
  static_cast<QLabel*>(m_hidapi.value)
      ->setText(hidapi.isEmpty() ? text(QT_TRANSLATE_NOOP("quorvin", "unknown")) : hidapi);
  label(m_hidapi, text(QT_TRANSLATE_NOOP("quorvin", "hidapi:")),
        text(QT_TRANSLATE_NOOP("quorvin", "The version of the USB HID library the window runs on")));

  label(m_history, text(QT_TRANSLATE_NOOP("quorvin", "&History:")),
        text(QT_TRANSLATE_NOOP("quorvin", "Where every operation of the window and of quorvinctl is recorded")));
  label(m_recording, text(QT_TRANSLATE_NOOP("quorvin", "Newest &recording:")),
        text(QT_TRANSLATE_NOOP("quorvin", "Where a copy of the newest recording of the traffic is kept for support")));
  label(m_snapshots, text(QT_TRANSLATE_NOOP("quorvin", "&Snapshots:")),
        text(QT_TRANSLATE_NOOP("quorvin", "The folder that holds the snapshots taken before changes")));
  label(m_settings, text(QT_TRANSLATE_NOOP("quorvin", "Se&ttings:")),
        text(QT_TRANSLATE_NOOP("quorvin", "The window's settings (on Windows, a registry key)")));

  m_licenceText->setAccessibleName(text(QT_TRANSLATE_NOOP("quorvin", "Licence text")));
  m_licenceText->setToolTip(text(QT_TRANSLATE_NOOP("quorvin", "The licence quorvin-setup is given under")));
  m_close->setText(text(QT_TRANSLATE_NOOP("quorvin", "&Close")));
  m_close->setAccessibleName(text(QT_TRANSLATE_NOOP("quorvin", "Close")));
  m_close->setToolTip(text(QT_TRANSLATE_NOOP("quorvin", "Close this window")));
}

}  // namespace quorvin
