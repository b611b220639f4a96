#pragma once
// What this copy of the tool is and where it keeps things: its version and licence, the Qt and
// hidapi it runs on, and the paths of the history, the newest recording, the snapshots and the
// settings, each selectable so it can be copied into a file manager, a terminal or a ticket.

#include <QDialog>

#include "ops/Language.h"

class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QTabWidget;

namespace quorvin {

class AboutDialog : public QDialog {
  Q_OBJECT
 public:
  explicit AboutDialog(const Language& lang, QWidget* parent = nullptr);

  void SetLanguage(const Language& lang);

  // The settings file of the window (on Windows, a registry key).
  [[nodiscard]] static QString SettingsPath();

 private:
  struct Row {
    QLabel* caption = nullptr;
    QWidget* value = nullptr;
  };
  QWidget* BuildAboutPage();
  QWidget* BuildFilesPage();
  QWidget* BuildLicencePage();

  Language m_lang;
  QTabWidget* m_tabs = nullptr;
  QLabel* m_title = nullptr;
  QLabel* m_summary = nullptr;
  Row m_version;
  Row m_licence;
  Row m_qt;
  Row m_hidapi;
  Row m_history;
  Row m_recording;
  Row m_snapshots;
  Row m_settings;
  QPlainTextEdit* m_licenceText = nullptr;
  QPushButton* m_close = nullptr;
};

}  // namespace quorvin
