// quorvinctl: the tool's operations from a terminal, for scripts and production lines. It drives the
// same operations as the window through a terminal Feedback; nothing here talks to the device itself.

#include <QCoreApplication>
#include <cstdio>

#include "cli/CliOptions.h"
#include "cli/Commands.h"
#include "cli/Interrupt.h"

namespace {
std::atomic<bool> g_interrupted{false};
}  // namespace

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  QStringList args = QCoreApplication::arguments();
  args.removeFirst();

  QList<QByteArray> raw;
  for (int i = 1; i < argc; ++i) raw << QByteArray(argv[i]);
  quorvin::cli::CliOptions options = quorvin::cli::ParseCli(args, raw);
  if (!options.error.isEmpty()) return quorvin::cli::ReportUsageError(options);
  if (options.help) return quorvin::cli::ShowHelp(options.json);
  // A FILE argument is the last one before the command's switches; its bytes as given tell whether
  // Qt read it faithfully.
  if (argc > 1 + options.flagWords) options.fileArgBytes = QByteArray(argv[argc - 1 - options.flagWords]);
  quorvin::cli::InstallInterruptHandlers(g_interrupted);
  using quorvin::Language;
  Language lang = Language::ForSystemLocale();
  if (options.language)
    lang = *options.language == QLatin1String("zh") ? Language::Load(QStringLiteral("zh_CN")) : Language();
  return quorvin::cli::RunCommand(options, lang, g_interrupted);
}
