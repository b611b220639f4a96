// quorvinctl: the tool's operations from a terminal, for scripts and production lines. It drives the
// same operations as the window through a terminal Feedback; nothing here talks to the device itself.

#include "cli/CliOptions.h"
#include "cli/Commands.h"

#include <QCoreApplication>
#include <QLocale>
#include <csignal>
#include <cstdio>

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

  QString error;
  const auto options = quorvin::cli::ParseCli(args, &error);
  if (!options) return quorvin::cli::ReportUsageError(args, error);
  if (options->help) return quorvin::cli::ShowHelp(options->json);
  std::signal(SIGINT, OnInterrupt);
  std::signal(SIGTERM, OnInterrupt);
  const bool english = options->english.value_or(QLocale::system().language() != QLocale::Chinese);
  return quorvin::cli::RunCommand(*options, english, g_interrupted);
}
