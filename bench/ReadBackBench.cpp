// Read-back at the wire's pace: the sim streams a whole backup, one report per millisecond, over
// the socket link, and the window reads it with its own button, worker and progress window. The
// file the tool wrote is compared packet by packet with what the sim holds.

#include <QFile>
#include <algorithm>
#include <cstdio>

#include "app/Controls.h"
#include "app/QtFeedback.h"
#include "bench/Bench.h"
#include "bench/ProcessStats.h"
#include "bench/SimProcess.h"
#include "bench/TimedBackend.h"
#include "bench/WindowHarness.h"
#include "link/Backends.h"

namespace quorvin::bench {

namespace {

constexpr qint64 kPacketData = 54;
constexpr int kIntervalUs = 1000;

struct Stream {
  qint64 packets = 0;
  double maxGapMs = 0;
  double maxLagMs = 0;  // how far behind the device's schedule the last of them came
  double seconds = 0;   // request to last packet
  std::int64_t maxGapEndNs = 0;
  bool inOrder = true;
};

Stream Analyse(const ArrivalLog& log) {
  Stream s;
  const std::vector<Arrival> arrivals = log.Arrivals();
  s.packets = static_cast<qint64>(arrivals.size());
  if (arrivals.empty()) return s;
  const std::int64_t first = arrivals.front().ns;
  for (std::size_t i = 0; i < arrivals.size(); ++i) {
    if (arrivals[i].number != static_cast<int>(i) + 1) s.inOrder = false;
    const double dueMs = static_cast<double>(i) * kIntervalUs / 1000.0;
    s.maxLagMs = std::max(s.maxLagMs, static_cast<double>(arrivals[i].ns - first) / 1e6 - dueMs);
    const double gapMs = i > 0 ? static_cast<double>(arrivals[i].ns - arrivals[i - 1].ns) / 1e6 : 0;
    if (gapMs > s.maxGapMs) {
      s.maxGapMs = gapMs;
      s.maxGapEndNs = arrivals[i].ns;
    }
  }
  s.seconds = static_cast<double>(arrivals.back().ns - log.RequestNs()) / 1e9;
  return s;
}

// Packets of the device's data that are not in the file as they should be.
qint64 LostPackets(const QByteArray& expected, const QString& path) {
  QFile file(path);
  const QByteArray got = file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
  const qint64 packets = (expected.size() + kPacketData - 1) / kPacketData;
  qint64 lost = 0;
  for (qint64 k = 0; k < packets; ++k) {
    const qint64 at = k * kPacketData;
    if (got.mid(at, kPacketData) != expected.mid(at, kPacketData)) ++lost;
  }
  if (got.size() > expected.size()) std::fprintf(stderr, "bench: the read-back file is longer than the backup\n");
  return lost;
}

}  // namespace

double RunReadBackBench(const BenchConfig& cfg, Figures& figures) {
  const qint64 bytes = cfg.quick ? 300'000 : 3'000'000;
  const qint64 packets = (bytes + kPacketData - 1) / kPacketData;
  const QString backupPath = cfg.workDir + QStringLiteral("/device-backup.bin");
  const QString outPath = cfg.workDir + QStringLiteral("/upload.bin");
  const QString socket = cfg.workDir + QStringLiteral("/readback.sock");
  if (!WritePattern(backupPath, bytes, 7)) {
    figures.Failed(QStringLiteral("read-back: cannot write ") + backupPath);
    return 0;
  }
  QFile backupFile(backupPath);
  const QByteArray backup = backupFile.open(QIODevice::ReadOnly) ? backupFile.readAll() : QByteArray();

  SimProcess sim(cfg.simPath);
  QString error;
  if (!sim.Start({QStringLiteral("--hid-socket"), socket, QStringLiteral("--backup"), backupPath,
                  QStringLiteral("--rate-us"), QString::number(kIntervalUs)},
                 error)) {
    figures.Failed(QStringLiteral("read-back: ") + error);
    return 0;
  }
  ArrivalLog log(static_cast<std::size_t>(packets) + 64);
  TimedBackend backend(MakeSocketBackend(socket), log);
  RealClock clock;
  WindowHarness window(backend, clock, true, outPath);
  if (!window.WaitForDevice(10'000)) {
    figures.Failed(QStringLiteral("read-back: the window did not find the sim's device"));
    return 0;
  }
  WindowHarness::Idle(200);

  std::fprintf(stderr, "bench: read-back of %lld bytes (%lld packets) at one report per %d us\n",
               static_cast<long long>(bytes), static_cast<long long>(packets), kIntervalUs);
  auto* feedback = dynamic_cast<QtFeedback*>(&window.Window().GetFeedback());
  const int shownBefore = feedback ? feedback->DisplayedUpdates() : 0;
  // The probe thread's own CPU is the benchmark's, not the tool's.
  const qint64 probeBefore = std::max<qint64>(window.Probe().OwnCpuUs(), 0);
  const qint64 cpuBefore = ProcessCpuUs() - probeBefore;
  window.Stalls().Start();
  const ClickResult run = window.Click(ctl::BackupReadBack, static_cast<int>(packets) + 60'000);
  window.Stalls().Stop();
  const qint64 probeAfter = std::max<qint64>(window.Probe().OwnCpuUs(), 0);
  const qint64 cpuUs = ProcessCpuUs() - probeAfter - cpuBefore;
  std::fprintf(stderr, "bench: the probe thread's CPU, left out of per_packet_cpu_us: %.1f us a packet\n",
               static_cast<double>(probeAfter - probeBefore) / static_cast<double>(std::max<qint64>(packets, 1)));

  const Stream s = Analyse(log);
  const int shown = feedback ? feedback->DisplayedUpdates() - shownBefore : 0;
  std::fprintf(stderr, "bench: the progress window showed %d updates, %.1f a second\n", shown,
               s.seconds > 0 ? shown / s.seconds : 0.0);
  const qint64 lost = LostPackets(backup, outPath);
  std::fprintf(stderr, "bench: read-back %s after %.2f s; boxes: %s\n", run.finished ? "ended" : "did NOT end",
               static_cast<double>(run.endNs - run.clickNs) / 1e9, qPrintable(run.boxes.join(QStringLiteral(" | "))));
  std::fprintf(stderr, "bench: read-back packets in order: %s; furthest behind the device's schedule: %.1f ms\n",
               s.inOrder ? "yes" : "NO", s.maxLagMs);
  std::fprintf(stderr, "bench: read-back: longest gap between packets %.1f ms (at %.2f s)\n", s.maxGapMs,
               static_cast<double>(s.maxGapEndNs - run.clickNs) / 1e9);
  window.ReportStalls("read-back", run.clickNs);
  figures.Print("readback_packets", s.packets);
  figures.Print("readback_lost", lost);
  figures.Print("readback_max_gap_ms", s.maxGapMs, 1);
  figures.Print("readback_seconds", s.seconds, 2);
  figures.Print("per_packet_cpu_us", s.packets > 0 ? static_cast<double>(cpuUs) / static_cast<double>(s.packets) : 0,
                1);
  if (!run.finished) figures.Failed(QStringLiteral("read-back did not end"));
  if (lost != 0 || s.packets != packets || !s.inOrder)
    figures.Missed(QStringLiteral("read-back: %1 of %2 packets lost").arg(lost).arg(packets));
  if (run.boxes != QStringList{QStringLiteral("Read backup data successfully !")})
    figures.Missed(QStringLiteral("read-back did not end with its success box"));
  return window.Stalls().MaxGapMs();
}

}  // namespace quorvin::bench
