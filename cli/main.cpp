// quorvinctl: the tool's operations from a terminal, for scripts and production lines. It drives the
// same operations as the window through a terminal Feedback; nothing here talks to the device itself.

#include <QCoreApplication>
#include <cstdio>

#include "cli/CliOptions.h"
#include "cli/ExitStatus.h"
#include "cli/Interrupt.h"
#include "cli/Session.h"
#include "cli/Terminal.h"
#include "cli/Usage.h"

namespace {
std::atomic<bool> g_interrupted{false};
}  // namespace

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  quorvin::cli::PrepareConsoleOutput();
  QStringList args = QCoreApplication::arguments();
  args.removeFirst();

  // The arguments' bytes as the system handed them over tell a value Qt could not read as given.
  // Windows hands them over as UTF-16, which Qt reads faithfully: its argv holds them converted to
  // the ANSI code page, whose accented names are not UTF-8 and must not be taken for broken ones.
  QList<QByteArray> raw;
#ifndef Q_OS_WIN
  for (int i = 1; i < argc; ++i) raw << QByteArray(argv[i]);
#endif
  quorvin::cli::CliOptions options = quorvin::cli::ParseCli(args, raw);
  if (!options.error.isEmpty()) return quorvin::cli::ReportUsageError(options);
  if (options.help) return quorvin::cli::ShowHelp(options.json);
  if (options.toolVersion) {
    std::fputs("quorvinctl " QUORVIN_VERSION "\n", stdout);
    return quorvin::cli::kExitOk;
  }
  quorvin::cli::InstallInterruptHandlers(g_interrupted);
  using quorvin::Language;
  Language lang = Language::ForSystemLocale();
  if (options.language)
    lang = *options.language == QLatin1String("zh") ? Language::Load(QStringLiteral("zh_CN")) : Language();
  return quorvin::cli::RunCommand(options, lang, g_interrupted);
}
