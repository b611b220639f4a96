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

struct Options {
  QCommandLineOption demo{QStringLiteral("demo"),
                          QStringLiteral("Work against the built-in virtual repeater instead of a real device.")};
  // As quorvinctl takes it; the window's own Language menu remembers a choice for later runs.
  QCommandLineOption lang{QStringLiteral("lang"),
                          QStringLiteral("The window's language, zh or en (default: the last one "
                                         "chosen in its menu, else the system's)."),
                          QStringLiteral("zh|en")};
};

// The options the window takes.
void AddOptions(QCommandLineParser& parser, const Options& o) {
  parser.setApplicationDescription(QStringLiteral("Set-up tool for the repeater."));
  parser.addHelpOption();
  parser.addVersionOption();
  parser.addOption(o.demo);
  parser.addOption(o.lang);
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
  const Options options;
  AddOptions(parser, options);
  // Platform options (-platform, -display) belong to the window's application, which is not
  // there to take them: they must not turn a request for help into an error.
  if (!parser.parse(QCoreApplication::arguments())) {
    if (parser.isSet(QStringLiteral("version"))) parser.showVersion();
    if (parser.isSet(QStringLiteral("help"))) parser.showHelp(0);
  }
  parser.process(app);  // exits after the help or the version
}

void SetupApplication::LoadStandardTexts(bool chinese) {
  // The window speaks Chinese or English; Qt's own buttons and file dialogs (OK, Cancel, Open)
  // follow it in Chinese when the translations are installed, and stay English otherwise.
  if (!chinese) return;
  auto* translator = new QTranslator(this);
  if (translator->load(QLocale(QLocale::Chinese, QLocale::China), QStringLiteral("qt"), QStringLiteral("_"),
                       QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
    installTranslator(translator);
}

int SetupApplication::Run() {
  QCommandLineParser parser;
  const Options o;
  AddOptions(parser, o);
  parser.process(*this);
  WindowOptions options;
  options.demo = parser.isSet(o.demo);
  if (parser.isSet(o.lang)) {
    const QString code = parser.value(o.lang);
    if (code != QLatin1String("zh") && code != QLatin1String("en")) {
      std::fprintf(stderr, "quorvin-setup: --lang takes zh or en, not %s\n", qPrintable(code));
      return 2;
    }
    options.language = code == QLatin1String("zh") ? Language::Load(QStringLiteral("zh_CN")) : Language();
  }
  const Language shown = options.language ? *options.language : MainWindow::StartLanguage();
  LoadStandardTexts(!shown.IsEnglish());
  RealClock clock;
  // A socket named in the environment wins even over --demo, so tests can drive the demo window
  // against quorvin-sim.
  QString why;
  const std::unique_ptr<HidBackend> backend =
      options.demo && !SocketBackendRequested() ? MakeInProcessBackend(clock) : MakeDefaultBackend(&why);
  if (!backend) {
    // Only a developer's or a test's set-up names a socket, from a terminal: said there, as a usage
    // error is.
    std::fprintf(stderr, "quorvin-setup: %s\n", qPrintable(why));
    return 2;
  }
  MainWindow window(*backend, clock, options);
  window.show();
  return exec();
}

}  // namespace quorvin
