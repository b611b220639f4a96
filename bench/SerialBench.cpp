// Version reads over the serial link through the window, against the sim on a pseudo-terminal at
// 115200 bit/s. The sim answers each request a random 0..30 ms late and sends the reply byte by
// byte with random gaps of up to 40 ms: the timing of a slow USB-serial adapter, kept below the
// 50 ms of silence that ends a reply.

#include <QCheckBox>
#include <QComboBox>
#include <algorithm>
#include <cstdio>
#include <vector>

#include "app/Controls.h"
#include "app/LinkPanel.h"
#include "bench/Bench.h"
#include "bench/SimProcess.h"
#include "bench/WindowHarness.h"
#include "link/Backends.h"
#include "link/SerialPort.h"

namespace quorvin::bench {

namespace {
constexpr int kReplyDelayMaxMs = 30;
constexpr int kByteGapMaxMs = 40;
static_assert(kByteGapMaxMs < kSerialSilenceMs, "the gaps must stay below the silence that ends a reply");

// From the sim's trace, for each request in turn, the longest time between two bytes of its reply
// as the sim actually wrote them: what the tool was really given, whatever the sim meant to do.
std::vector<qint64> ReplyGapsFromTrace(const QByteArray& trace) {
  std::vector<qint64> gaps;
  qint64 last = -1;
  for (const QByteArray& line : trace.split('\n')) {
    const QList<QByteArray> f = line.simplified().split(' ');
    if (f.size() < 4 || f[2] != "serial") continue;
    const qint64 ms = f[0].toLongLong();
    if (f[3] == "host>") {
      gaps.push_back(0);
      last = -1;
    } else if (f[3] == "<dev" && !gaps.empty()) {
      if (last >= 0) gaps.back() = std::max(gaps.back(), ms - last);
      last = ms;
    }
  }
  return gaps;
}
}  // namespace

void RunSerialBench(const BenchConfig& cfg, Figures& figures) {
  const int reads = cfg.quick ? 100 : 1000;
  SimProcess sim(cfg.simPath);
  sim.KeepTrace();
  QString error;
  if (!sim.Start({QStringLiteral("--serial"), QStringLiteral("--serial-jitter"),
                  QStringLiteral("%1,%2").arg(kReplyDelayMaxMs).arg(kByteGapMaxMs)},
                 error) ||
      sim.SerialPath().isEmpty()) {
    figures.Failed(QStringLiteral("serial: ") +
                   (error.isEmpty() ? QStringLiteral("the sim has no serial port") : error));
    return;
  }
  // No USB device: the check box is cleared and the serial forms run.
  const std::unique_ptr<HidBackend> noUsb = MakeSocketBackend(cfg.workDir + QStringLiteral("/no-device.sock"));
  RealClock clock;
  WindowHarness window(*noUsb, clock, false, QString());
  MainWindow& dlg = window.Window();
  dlg.LinkChoice()->SetSerial(true);
  dlg.LinkChoice()->SetPorts({sim.SerialPath()});
  auto* speed = dlg.LinkChoice()->SpeedBox();
  speed->setCurrentText(QStringLiteral("115200"));
  if (speed->currentText() != QLatin1String("115200")) {
    figures.Failed(QStringLiteral("serial: the window offers no 115200 bit/s"));
    return;
  }

  std::fprintf(stderr, "bench: %d version reads on %s at 115200 bit/s\n", reads, qPrintable(sim.SerialPath()));
  const QString expected = QStringLiteral("Version :V1.0");
  int done = 0;
  int errors = 0;
  std::vector<int> failed;
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
      failed.push_back(i);
      std::fprintf(stderr,
                   "bench: version read %d: %s (meanwhile a thread doing nothing but 5 ms sleeps "
                   "took up to %.1f ms for one)\n",
                   i + 1, run.finished ? qPrintable(run.boxes.join(QStringLiteral(" | "))) : "did not end",
                   window.Probe().WorstMs());
    }
  }
  std::fprintf(stderr, "bench: serial round trip %.1f ms on average, %.1f ms at worst\n", totalMs / done, worstMs);
  const std::vector<qint64> gaps = ReplyGapsFromTrace(sim.TakeTrace());
  const auto late = std::count_if(gaps.begin(), gaps.end(), [](qint64 g) { return g >= kSerialSilenceMs; });
  std::fprintf(stderr,
               "bench: the sim wrote %zu replies; the longest gap inside one was %lld ms (meant: at most %d); "
               "%lld had a gap of %d ms or more\n",
               gaps.size(), static_cast<long long>(gaps.empty() ? 0 : *std::max_element(gaps.begin(), gaps.end())),
               kByteGapMaxMs, static_cast<long long>(late), kSerialSilenceMs);
  for (int i : failed)
    if (static_cast<std::size_t>(i) < gaps.size())
      std::fprintf(stderr, "bench: version read %d: the sim wrote its reply with a gap of up to %lld ms\n", i + 1,
                   static_cast<long long>(gaps[static_cast<std::size_t>(i)]));
  figures.Print("serial_roundtrips", qint64{done});
  figures.Print("serial_errors", qint64{errors});
  if (errors != 0) figures.Missed(QStringLiteral("serial_errors %1 > 0").arg(errors));
}

}  // namespace quorvin::bench
