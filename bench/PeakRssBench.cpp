// Peak memory of a 3,000,000-byte USB upgrade, measured in a fresh process so nothing an earlier
// benchmark allocated hides or inflates it. The window is shown and linked, then the resident set
// is taken as the idle figure and the kernel's high-water mark is reset; after the upgrade the
// mark tells the peak. Its 46 minutes of pauses are skipped with a clock on which pauses are over
// at once, and the sim is told to accept them: packets, progress and the window run for real.

#include <QFileInfo>
#include <QProcess>
#include <cstdio>

#include "app/Controls.h"
#include "bench/Bench.h"
#include "bench/FastClock.h"
#include "bench/ProcessStats.h"
#include "bench/SimProcess.h"
#include "bench/WindowHarness.h"
#include "link/Backends.h"

namespace quorvin::bench {

namespace {
constexpr qint64 kImageBytes = 3'000'000;
}

void RunPeakRssBench(const BenchConfig& cfg, Figures& figures) {
  const QString imagePath = cfg.workDir + QStringLiteral("/large-image.bin");
  if (!WritePattern(imagePath, kImageBytes, 13)) {
    figures.Failed(QStringLiteral("peak memory: cannot write ") + imagePath);
    return;
  }
  QProcess child;
  child.setProcessChannelMode(QProcess::ForwardedErrorChannel);
  child.start(cfg.selfPath, {QStringLiteral("--sim"), cfg.simPath, QStringLiteral("--rss-child"), imagePath,
                             QStringLiteral("--work"), cfg.workDir});
  if (!child.waitForFinished(600'000)) {
    child.kill();
    child.waitForFinished();
    figures.Failed(QStringLiteral("peak memory: the measuring process did not end"));
    return;
  }
  const QByteArray out = child.readAllStandardOutput().trimmed();
  bool ok = false;
  const double ratio = out.startsWith("peak_rss_ratio=") ? out.mid(15).toDouble(&ok) : 0;
  if (child.exitCode() != 0 || !ok) {
    figures.Failed(QStringLiteral("peak memory: the measuring process failed (%1)").arg(QString::fromLocal8Bit(out)));
    return;
  }
  figures.Print("peak_rss_ratio", ratio, 3);
  if (ratio > 3) figures.Missed(QStringLiteral("peak_rss_ratio %1 > 3").arg(ratio));
}

int PeakRssChild(const QString& simPath, const QString& imagePath, const QString& workDir) {
  const qint64 bytes = QFileInfo(imagePath).size();
  const QString socket = workDir + QStringLiteral("/rss.sock");
  SimProcess sim(simPath);
  QString error;
  if (!sim.Start(
          {QStringLiteral("--hid-socket"), socket, QStringLiteral("--pause-tolerance-ms"), QStringLiteral("60000")},
          error)) {
    std::fprintf(stderr, "bench: peak memory: %s\n", qPrintable(error));
    return 1;
  }
  const std::unique_ptr<HidBackend> backend = MakeSocketBackend(socket);
  FastClock clock;
  WindowHarness window(*backend, clock, true, imagePath);
  if (!window.WaitForDevice(10'000)) {
    std::fprintf(stderr, "bench: peak memory: the window did not find the sim's device\n");
    return 1;
  }
  WindowHarness::Idle(500);
  const qint64 idleKb = ResidentKb();
  if (idleKb < 0 || !ResetPeakResident()) {
    std::fprintf(stderr, "bench: peak memory: /proc does not give or reset the peak resident set\n");
    return 1;
  }
  const ClickResult run = window.Click(ctl::Upgrade, 300'000);
  const qint64 peakKb = PeakResidentKb();
  std::fprintf(stderr, "bench: upgrade of %lld bytes, pauses skipped, took %.1f s; boxes: %s\n",
               static_cast<long long>(bytes), static_cast<double>(run.endNs - run.clickNs) / 1e9,
               qPrintable(run.boxes.join(QStringLiteral(" | "))));
  std::fprintf(stderr, "bench: idle %lld kB, peak %lld kB\n", static_cast<long long>(idleKb),
               static_cast<long long>(peakKb));
  if (!run.finished || run.boxes != QStringList{QStringLiteral("Update successfully")}) {
    std::fprintf(stderr, "bench: peak memory: the device did not accept the upgrade\n");
    return 1;
  }
  std::printf("peak_rss_ratio=%.3f\n", static_cast<double>(peakKb - idleKb) * 1024.0 / static_cast<double>(bytes));
  return 0;
}

}  // namespace quorvin::bench
