// A USB firmware upgrade through the window against the sim, timed from the click to the outcome
// box, against the pauses the device needs: 4000 ms after the first packet, 50 ms after each
// later one, and the 1000 ms the end line is held.

#include <cstdio>

#include "app/Controls.h"
#include "bench/Bench.h"
#include "bench/SimProcess.h"
#include "bench/WindowHarness.h"
#include "link/Backends.h"

namespace quorvin::bench {

double RunUpgradeBench(const BenchConfig& cfg, Figures& figures) {
  const qint64 bytes = cfg.quick ? 8192 : 65'536;
  const qint64 packets = (bytes + 51) / 52;
  const qint64 minimumMs = 4000 + (packets - 1) * 50 + 1000;
  const QString imagePath = cfg.workDir + QStringLiteral("/firmware.bin");
  const QString socket = cfg.workDir + QStringLiteral("/upgrade.sock");
  if (!WritePattern(imagePath, bytes, 11)) {
    figures.Failed(QStringLiteral("upgrade: cannot write ") + imagePath);
    return 0;
  }
  SimProcess sim(cfg.simPath);
  QString error;
  // The sim's default pause check stays on: an upgrade that cut a pause short would be refused.
  if (!sim.Start({QStringLiteral("--hid-socket"), socket}, error)) {
    figures.Failed(QStringLiteral("upgrade: ") + error);
    return 0;
  }
  const std::unique_ptr<HidBackend> backend = MakeSocketBackend(socket);
  RealClock clock;
  WindowHarness window(*backend, clock, true, imagePath);
  if (!window.WaitForDevice(10'000)) {
    figures.Failed(QStringLiteral("upgrade: the window did not find the sim's device"));
    return 0;
  }
  WindowHarness::Idle(200);

  std::fprintf(stderr, "bench: upgrade of %lld bytes (%lld packets), at least %lld ms of pauses\n",
               static_cast<long long>(bytes), static_cast<long long>(packets), static_cast<long long>(minimumMs));
  window.Stalls().Start();
  const ClickResult run = window.Click(ctl::Upgrade, static_cast<int>(minimumMs) + 60'000);
  window.Stalls().Stop();

  window.ReportStalls("upgrade", run.clickNs);
  const bool accepted = run.boxes == QStringList{QStringLiteral("Update successfully")};
  std::fprintf(stderr, "bench: upgrade %s; boxes: %s\n", run.finished ? "ended" : "did NOT end",
               qPrintable(run.boxes.join(QStringLiteral(" | "))));
  if (!run.finished || !accepted || run.boxNs.empty()) {
    figures.Failed(QStringLiteral("upgrade: the device did not accept the upgrade"));
    return window.Stalls().MaxGapMs();
  }
  const double wallMs = static_cast<double>(run.boxNs.front() - run.clickNs) / 1e6;
  const double ratio = wallMs / static_cast<double>(minimumMs);
  std::fprintf(stderr, "bench: upgrade took %.1f ms, %.1f ms over its pauses\n", wallMs,
               wallMs - static_cast<double>(minimumMs));
  figures.Print("upgrade_overhead_ratio", ratio, 4);
  if (ratio > 1.01) figures.Missed(QStringLiteral("upgrade_overhead_ratio %1 > 1.01").arg(ratio));
  return window.Stalls().MaxGapMs();
}

}  // namespace quorvin::bench
