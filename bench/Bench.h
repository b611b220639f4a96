#pragma once
// The benchmarks of bench/run. Each starts its own quorvin-sim, drives the tool's window or
// operations against it, and prints its figures as name=value lines on standard output; what
// went wrong goes to standard error.

#include <QString>

namespace quorvin::bench {

struct BenchConfig {
  QString simPath;   // the quorvin-sim executable
  QString selfPath;  // this executable, for measures that need a fresh process
  QString workDir;   // a private directory for sockets and files
  bool quick = false;
};

// Tallies what was measured and whether it met its target.
class Figures {
 public:
  void Print(const char* name, double value, int decimals);
  void Print(const char* name, qint64 value);
  // A figure outside its target: still printed, and noted for the exit status.
  void Missed(const QString& why);
  // A figure that could not be measured at all.
  void Failed(const QString& why);
  [[nodiscard]] int ExitCode() const { return m_failed ? 1 : m_missed ? 3 : 0; }

 private:
  bool m_missed = false;
  bool m_failed = false;
};

// Writes `bytes` reproducible pseudo-random bytes to `path`; false when it cannot.
[[nodiscard]] bool WritePattern(const QString& path, qint64 bytes, quint32 seed);

// Each returns the longest stall of the window's event loop it saw, in ms (0 when it has none).
double RunReadBackBench(const BenchConfig& cfg, Figures& figures);
double RunUpgradeBench(const BenchConfig& cfg, Figures& figures);
void RunPeakRssBench(const BenchConfig& cfg, Figures& figures);
void RunSerialBench(const BenchConfig& cfg, Figures& figures);
// Enumerating 20 virtual repeaters (the worst of five fresh enumerations).
void RunDevicesBench(const BenchConfig& cfg, Figures& figures);
// Four units through the production station at once against one alone.
void RunStationBench(const BenchConfig& cfg, Figures& figures);

// The fresh process of RunPeakRssBench: uploads `imagePath` and prints peak_rss_ratio.
int PeakRssChild(const QString& simPath, const QString& imagePath, const QString& workDir);

}  // namespace quorvin::bench
