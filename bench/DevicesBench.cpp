// Enumeration with 20 virtual repeaters attached, as `quorvinctl devices` does it: a fresh socket
// backend connects to every unit, reads each hello and identifies them. Target: under 200 ms.

#include <QElapsedTimer>

#include "bench/Bench.h"
#include "bench/SimProcess.h"
#include "link/Backends.h"
#include "link/DeviceSelector.h"

namespace quorvin::bench {

void RunDevicesBench(const BenchConfig& cfg, Figures& figures) {
  constexpr int kUnits = 20;
  const QString dir = cfg.workDir + QStringLiteral("/units");
  SimProcess sim(cfg.simPath);
  QString error;
  if (!sim.Start({QStringLiteral("--hid-socket"), dir, QStringLiteral("--units"), QString::number(kUnits)}, error)) {
    figures.Failed(QStringLiteral("devices: ") + error);
    return;
  }
  double worstMs = 0;
  for (int run = 0; run < 5; ++run) {
    QElapsedTimer timer;
    timer.start();
    const auto backend = MakeSocketBackend(dir);
    const auto found = backend ? ChooseRepeater(backend->Enumerate(), std::nullopt).attached.size() : 0;
    worstMs = std::max(worstMs, static_cast<double>(timer.nsecsElapsed()) / 1e6);
    if (found != kUnits) {
      figures.Failed(QStringLiteral("devices: %1 of %2 units found").arg(found).arg(kUnits));
      return;
    }
  }
  figures.Print("devices_20_units_ms", worstMs, 2);
  if (worstMs >= 200) figures.Missed(QStringLiteral("devices_20_units_ms %1 >= 200").arg(worstMs));
}

}  // namespace quorvin::bench
