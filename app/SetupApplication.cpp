#include "app/SetupApplication.h"

#include <QCommandLineParser>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>
#include <cstdio>

#include "app/MainWindow.h"
#include "link/Backends.h"
#include "sim/InProcessBackend.h"

namespace quorvin {

namespace {

void SetIdentity() {
  QCoreApplication::setApplicationName(QStringLiteral("quorvin-setup"));
  QCoreApplication::setApplicationVersion(QStringLiteral("1.0"));
}

// The options the window takes; answers the --demo option.
QCommandLineOption AddOptions(QCommandLineParser& parser) {
  parser.setApplicationDescription(QStringLiteral("Set-up tool for the repeater."));
  parser.addHelpOption();
  parser.addVersionOption();
  QCommandLineOption demo(QStringLiteral("demo"),
                          QStringLiteral("Work against the built-in virtual repeater instead of a real device."));
  parser.addOption(demo);
  return demo;
}

}  // namespace

SetupApplication::SetupApplication(int& argc, char** argv) : QApplication(argc, argv) {
  SetIdentity();
  // Ties the window to the installed desktop entry (task bar grouping, Wayland icon).
  setDesktopFileName(QStringLiteral("io.github.quorvin.Setup"));
}

void SetupApplication::AnswerInfoOptions(int& argc, char** argv) {
  bool asked = false;
  for (int i = 1; i < argc; ++i) {
    const QByteArray a(argv[i]);
    if (a == "--") break;
    // Not --help-all: it lists the window's own platform options, which only its application has.
    asked = asked || a == "-h" || a == "--help" || a == "-?" || a == "-v" || a == "--version";
  }
  if (!asked) return;
  // The help and the version need no display: they are answered before the window's application
  // (which aborts when it finds none) exists, on a terminal over SSH as anywhere else.
  QCoreApplication app(argc, argv);
  SetIdentity();
  QCommandLineParser parser;
  (void)AddOptions(parser);
  // Platform options (-platform, -display) belong to the window's application, which is not
  // there to take them: they must not turn a request for help into an error.
  if (!parser.parse(QCoreApplication::arguments())) {
    if (parser.isSet(QStringLiteral("version"))) parser.showVersion();
    if (parser.isSet(QStringLiteral("help"))) parser.showHelp(0);
  }
  parser.process(app);  // exits after the help or the version
}

void SetupApplication::LoadStandardTexts() {
  // The window speaks Chinese or English; Qt's own buttons and file dialogs (OK, Cancel, Open)
  // follow it in Chinese when the translations are installed, and stay English otherwise.
  if (QLocale::system().language() != QLocale::Chinese) return;
  auto* translator = new QTranslator(this);
  if (translator->load(QLocale::system(), QStringLiteral("qt"), QStringLiteral("_"),
                       QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
    installTranslator(translator);
}

int SetupApplication::Run() {
  QCommandLineParser parser;
  const QCommandLineOption demo = AddOptions(parser);
  parser.process(*this);

  LoadStandardTexts();
  RealClock clock;
  // A socket named in the environment wins even over --demo, so tests can drive the demo window
  // against quorvin-sim.
  QString why;
  const std::unique_ptr<HidBackend> backend =
      parser.isSet(demo) && !SocketBackendRequested() ? MakeInProcessBackend(clock) : MakeDefaultBackend(&why);
  if (!backend) {
    // Only a developer's or a test's set-up names a socket, from a terminal: said there, as a usage
    // error is.
    std::fprintf(stderr, "quorvin-setup: %s\n", qPrintable(why));
    return 2;
  }
  WindowOptions options;
  options.demo = parser.isSet(demo);
  MainWindow window(*backend, clock, options);
  window.exec();
  return 0;
}

}  // namespace quorvin
