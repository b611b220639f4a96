#pragma once
// The tool's own window, set up as a technician has it: shown (on the offscreen platform), its
// device watcher finding the unit, every file question answered with a prepared path, every change
// agreed to, every box acknowledged. A benchmark clicks a button and waits for the operation to end, exactly the path
// a click takes in the tool.

#include <cstdint>

#include "app/MainWindow.h"
#include "bench/BoxAnswerer.h"
#include "bench/MachineProbe.h"
#include "bench/StallMeter.h"

namespace quorvin::bench {

struct ClickResult {
  bool started = false;
  bool finished = false;
  std::int64_t clickNs = 0;
  std::int64_t endNs = 0;
  QStringList boxes;
  std::vector<std::int64_t> boxNs;
};

class WindowHarness {
 public:
  // With startTimers the device watcher finds the unit as in the running tool.
  WindowHarness(HidBackend& backend, Clock& clock, bool startTimers, const QString& chosenPath);

  [[nodiscard]] MainWindow& Window() { return m_window; }
  [[nodiscard]] StallMeter& Stalls() { return m_stalls; }
  [[nodiscard]] MachineProbe& Probe() { return m_probe; }
  // Prints, for the run that began at sinceNs, the window's longest stall and the probe thread's
  // longest sleep, each with when it ended (the same stall at the same moment is the machine's),
  // and the longest stall of the window that the machine does not explain.
  void ReportStalls(const char* what, std::int64_t sinceNs) const;
  // Lets the window's device watcher run until the unit is found and its first look is done.
  [[nodiscard]] bool WaitForDevice(int timeoutMs);
  // Serves events for a while (the window settles, the idle process is measured after it).
  static void Idle(int ms);
  // Clicks a button and serves events until the operation it started has ended.
  [[nodiscard]] ClickResult Click(int controlId, int timeoutMs);

 private:
  MainWindow m_window;
  BoxAnswerer m_boxes;
  StallMeter m_stalls;
  MachineProbe m_probe;
};

[[nodiscard]] WindowOptions BenchWindowOptions(bool startTimers);

}  // namespace quorvin::bench
