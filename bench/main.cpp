// quorvin-bench: the figures of bench/run. Standard output carries name=value lines and nothing
// else; progress and problems go to standard error. Exit status: 0 all measured and on target,
// 3 a figure missed its target, 1 a figure could not be measured, 2 bad arguments.

#include <QApplication>
#include <QCommandLineParser>
#include <QFileInfo>
#include <QTemporaryDir>
#include <cstdio>
#include <cstring>

#include "bench/Bench.h"

using namespace quorvin::bench;

namespace {

void QuietMessages(QtMsgType type, const QMessageLogContext& context, const QString& text) {
  // The offscreen platform's complaints (no raise(), no size hints) say nothing about the tool.
  if (type == QtDebugMsg || (context.category && std::strncmp(context.category, "qt.qpa", 6) == 0) ||
      text.startsWith(QLatin1String("This plugin does not support")))
    return;
  std::fprintf(stderr, "tool: %s\n", qPrintable(text));
}

}  // namespace

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  qInstallMessageHandler(QuietMessages);
  QApplication app(argc, argv);

  QCommandLineParser parser;
  parser.setApplicationDescription(QStringLiteral("Benchmarks of the set-up tool against quorvin-sim."));
  parser.addHelpOption();
  const QCommandLineOption sim(QStringLiteral("sim"), QStringLiteral("The quorvin-sim executable."),
                               QStringLiteral("PATH"));
  const QCommandLineOption quick(QStringLiteral("quick"), QStringLiteral("Reduced sizes, under two minutes."));
  const QCommandLineOption only(QStringLiteral("only"),
                                QStringLiteral("Run one group: readback, upgrade, rss, serial, devices, station."),
                                QStringLiteral("GROUP"));
  const QCommandLineOption rssChild(QStringLiteral("rss-child"), QStringLiteral("(internal) peak memory run."),
                                    QStringLiteral("IMAGE"));
  const QCommandLineOption work(QStringLiteral("work"), QStringLiteral("(internal) work directory."),
                                QStringLiteral("DIR"));
  parser.addOptions({sim, quick, only, rssChild, work});
  parser.process(app);

  BenchConfig cfg;
  cfg.simPath = parser.value(sim);
  cfg.selfPath = QCoreApplication::applicationFilePath();
  cfg.quick = parser.isSet(quick);
  if (!QFileInfo(cfg.simPath).isExecutable()) {
    std::fprintf(stderr, "quorvin-bench: give the quorvin-sim executable with --sim PATH\n");
    return 2;
  }
  if (parser.isSet(rssChild)) return PeakRssChild(cfg.simPath, parser.value(rssChild), parser.value(work));

  QTemporaryDir dir;
  if (!dir.isValid()) {
    std::fprintf(stderr, "quorvin-bench: cannot create a work directory\n");
    return 1;
  }
  cfg.workDir = dir.path();
  const QString group = parser.value(only);
  const auto runs = [&](const char* name) { return group.isEmpty() || group == QLatin1String(name); };

  Figures figures;
  double stallMs = 0;
  if (runs("readback")) stallMs = std::max(stallMs, RunReadBackBench(cfg, figures));
  if (runs("upgrade")) stallMs = std::max(stallMs, RunUpgradeBench(cfg, figures));
  if (runs("readback") || runs("upgrade")) {
    figures.Print("gui_max_stall_ms", stallMs, 1);
    if (stallMs > 50) figures.Missed(QStringLiteral("gui_max_stall_ms %1 > 50").arg(stallMs));
  }
  if (runs("rss")) RunPeakRssBench(cfg, figures);
  if (runs("serial")) RunSerialBench(cfg, figures);
  if (runs("devices")) RunDevicesBench(cfg, figures);
  if (runs("station")) RunStationBench(cfg, figures);
  return figures.ExitCode();
}
