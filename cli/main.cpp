// quorvinctl: the tool's operations from a terminal, for scripts and production lines. It drives the
// same operations as the window through a terminal Feedback; nothing here talks to the device itself.

#include <QCoreApplication>
#include <csignal>
#include <cstdio>

#include "cli/CliOptions.h"
#include "cli/Commands.h"

namespace {
std::atomic<bool> g_interrupted{false};

extern "C" void OnInterrupt(int) {
  // The first Ctrl+C asks the running operation to stop cleanly; a second one ends the process.
  if (g_interrupted.exchange(true)) std::_Exit(quorvin::cli::kExitInterrupted);
}
}  // namespace

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  QStringList args = QCoreApplication::arguments();
  args.removeFirst();

  quorvin::cli::CliOptions options = quorvin::cli::ParseCli(args);
  if (!options.error.isEmpty()) return quorvin::cli::ReportUsageError(options);
  if (options.help) return quorvin::cli::ShowHelp(options.json);
  // A FILE argument is the last one before the command's switches; its bytes as given tell whether
  // Qt read it faithfully.
  if (argc > 1 + options.flagWords) options.fileArgBytes = QByteArray(argv[argc - 1 - options.flagWords]);
  std::signal(SIGINT, OnInterrupt);
  std::signal(SIGTERM, OnInterrupt);
#ifdef SIGXFSZ
  // A file-size limit is a write error like a full disk, reported as such; the default action
  // would end the process before it could say so.
  std::signal(SIGXFSZ, SIG_IGN);
#endif
  using quorvin::Language;
  Language lang = Language::ForSystemLocale();
  if (options.language)
    lang = *options.language == QLatin1String("zh") ? Language::Load(QStringLiteral("zh_CN")) : Language();
  return quorvin::cli::RunCommand(options, lang, g_interrupted);
}
