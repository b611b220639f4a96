// Version reads over the serial link through the window, against the sim on a pseudo-terminal at
// 115200 bit/s. The sim answers each request a random 0..30 ms late and sends the reply byte by
// byte with random gaps of up to 40 ms: the timing of a slow USB-serial adapter, kept below the
// 50 ms of silence that ends a reply.

#include "app/DialogTemplate.h"
#include "bench/Bench.h"
#include "bench/SimProcess.h"
#include "bench/WindowHarness.h"
#include "link/Backends.h"
#include "link/SerialPort.h"

#include <QCheckBox>
#include <QComboBox>
#include <cstdio>

namespace quorvin::bench {

namespace {
constexpr int kReplyDelayMaxMs = 30;
constexpr int kByteGapMaxMs = 40;
static_assert(kByteGapMaxMs < kSerialSilenceMs, "the gaps must stay below the silence that ends a reply");
}  // namespace

void RunSerialBench(const BenchConfig& cfg, Figures& figures) {
  const int reads = cfg.quick ? 100 : 1000;
  SimProcess sim(cfg.simPath);
  QString error;
  if (!sim.Start({QStringLiteral("--serial"), QStringLiteral("--serial-jitter"),
                  QStringLiteral("%1,%2").arg(kReplyDelayMaxMs).arg(kByteGapMaxMs)},
                 error) ||
      sim.SerialPath().isEmpty()) {
    figures.Failed(QStringLiteral("serial: ") + (error.isEmpty() ? QStringLiteral("the sim has no serial port") : error));
    return;
  }
  // No USB device: the check box is cleared and the serial forms run.
  const std::unique_ptr<HidBackend> noUsb = MakeSocketBackend(cfg.workDir + QStringLiteral("/no-device.sock"));
  RealClock clock;
  WindowHarness window(*noUsb, clock, false, QString());
  CTellwaveDlg& dlg = window.Window();
  dlg.FillPortList({sim.SerialPath()});
  qobject_cast<QCheckBox*>(dlg.Control(ctl::UsbOperation))->setChecked(false);
  auto* speed = qobject_cast<QComboBox*>(dlg.Control(ctl::ComboSpeed));
  speed->setCurrentText(QStringLiteral("115200"));
  if (speed->currentText() != QLatin1String("115200")) {
    figures.Failed(QStringLiteral("serial: the window offers no 115200 bit/s"));
    return;
  }

  std::fprintf(stderr, "bench: %d version reads on %s at 115200 bit/s\n", reads, qPrintable(sim.SerialPath()));
  const QString expected = QStringLiteral("Version :V1.0");
  int done = 0;
  int errors = 0;
  double totalMs = 0;
  double worstMs = 0;
  for (int i = 0; i < reads; ++i) {
    const ClickResult run = window.Click(ctl::ReadVersion, 10'000);
    ++done;
    const double ms = static_cast<double>(run.endNs - run.clickNs) / 1e6;
    totalMs += ms;
    worstMs = std::max(worstMs, ms);
    if (!run.finished || run.boxes != QStringList{expected}) {
      ++errors;
      std::fprintf(stderr, "bench: version read %d: %s (meanwhile a thread doing nothing but 1 ms sleeps "
                   "overslept up to %.1f ms)\n", i + 1,
                   run.finished ? qPrintable(run.boxes.join(QStringLiteral(" | "))) : "did not end",
                   window.Probe().WorstMs());
    }
  }
  std::fprintf(stderr, "bench: serial round trip %.1f ms on average, %.1f ms at worst\n", totalMs / done, worstMs);
  figures.Print("serial_roundtrips", qint64{done});
  figures.Print("serial_errors", qint64{errors});
  if (errors != 0) figures.Missed(QStringLiteral("serial_errors %1 > 0").arg(errors));
}

}  // namespace quorvin::bench
