#include "app/TellwaveApp.h"

#include "app/TellwaveDlg.h"
#include "link/Backends.h"

#include <QCommandLineParser>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

namespace quorvin {

CTellwaveApp::CTellwaveApp(int& argc, char** argv) : QApplication(argc, argv) {
  setApplicationName(QStringLiteral("quorvin-setup"));
  setApplicationVersion(QStringLiteral("1.0"));
  // Ties the window to the installed desktop entry (task bar grouping, Wayland icon).
  setDesktopFileName(QStringLiteral("io.github.quorvin.Setup"));
}

void CTellwaveApp::LoadStandardTexts() {
  // The window speaks Chinese or English; Qt's own buttons and file dialogs (OK, Cancel, Open)
  // follow it in Chinese when the translations are installed, and stay English otherwise.
  if (QLocale::system().language() != QLocale::Chinese) return;
  auto* translator = new QTranslator(this);
  if (translator->load(QLocale::system(), QStringLiteral("qt"), QStringLiteral("_"),
                       QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
    installTranslator(translator);
}

int CTellwaveApp::Run() {
  QCommandLineParser parser;
  parser.setApplicationDescription(QStringLiteral("Set-up tool for the repeater."));
  parser.addHelpOption();
  parser.addVersionOption();
  const QCommandLineOption demo(QStringLiteral("demo"),
                                QStringLiteral("Work against the built-in virtual repeater instead of a real device."));
  parser.addOption(demo);
  parser.process(*this);

  LoadStandardTexts();
  RealClock clock;
  const std::unique_ptr<HidBackend> backend = MakeDefaultBackend(parser.isSet(demo), clock);
  DlgOptions options;
  options.demo = parser.isSet(demo);
  CTellwaveDlg window(*backend, clock, options);
  window.exec();
  return 0;
}

}  // namespace quorvin
