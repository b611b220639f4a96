#include "bench/WindowHarness.h"

#include <QEventLoop>
#include <QPushButton>
#include <QTimer>
#include <algorithm>
#include <cstdio>

#include "app/UnitList.h"
#include "bench/SteadyTime.h"

namespace quorvin::bench {

namespace {

class PreparedChooser final : public FileChooser {
 public:
  explicit PreparedChooser(QString path) : m_path(std::move(path)) {}
  QString OpenBin(QWidget*, const FileQuestion&) override { return m_path; }
  QString SaveBin(QWidget*, const FileQuestion&) override { return m_path; }

 private:
  QString m_path;
};

// The technician who says yes to every change: the benchmarks measure the change, not the asking.
class AgreeingAsker final : public ChangeAsker {
 public:
  Consent Ask(QWidget*, const Language&, const ChangeQuestion&) override { return Consent::Go; }
};

// Serves events until `done` holds or the time is up; answers `done`.
template <typename Done>
bool ServeUntil(Done done, int timeoutMs) {
  QEventLoop loop;
  QTimer check;
  QObject::connect(&check, &QTimer::timeout, &loop, [&] {
    if (done()) loop.quit();
  });
  QTimer::singleShot(timeoutMs, &loop, &QEventLoop::quit);
  check.start(5);
  if (!done()) loop.exec();
  return done();
}

}  // namespace

WindowOptions BenchWindowOptions(bool startTimers) {
  WindowOptions options;
  options.language = quorvin::Language();
  options.startTimers = startTimers;
  return options;
}

WindowHarness::WindowHarness(HidBackend& backend, Clock& clock, bool startTimers, const QString& chosenPath)
    : m_window(backend, clock, BenchWindowOptions(startTimers)) {
  m_window.SetFileChooser(std::make_unique<PreparedChooser>(chosenPath));
  m_window.SetAsker(std::make_unique<AgreeingAsker>());
  m_window.show();
}

void WindowHarness::ReportStalls(const char* what, std::int64_t sinceNs) const {
  const auto at = [sinceNs](std::int64_t ns) { return static_cast<double>(ns - sinceNs) / 1e9; };
  std::fprintf(stderr,
               "bench: %s: the window's event loop stalled up to %.1f ms (at %.2f s); a thread doing nothing "
               "but 5 ms sleeps took up to %.1f ms for one (at %.2f s)\n",
               what, m_stalls.MaxGapMs(), at(m_stalls.MaxGapEndNs()), m_probe.WorstMs(), at(m_probe.WorstAtNs()));
  // Gaps under the log's threshold are not kept; the longest gap then stands for itself.
  if (m_stalls.MaxGapMs() < 12) {
    std::fprintf(stderr, "bench: %s: no stall of the window longer than 12 ms\n", what);
    return;
  }
  const std::vector<Stall> stalls = m_stalls.Stalls();
  const std::vector<Stall> machine = m_probe.Stalls();
  const auto ms = [](std::int64_t ns) { return static_cast<double>(ns) / 1e6; };
  const auto describe = [&](const char* which, const StallShare& s) {
    std::fprintf(stderr,
                 "bench: %s: %s: %.1f ms (at %.2f s): the GUI thread ran %.1f ms of it, waited for a CPU "
                 "%.1f ms, and the probe thread was stopped too for %.1f ms; not the machine's: %.1f ms\n",
                 what, which, ms(s.stall.endNs - s.stall.beginNs), at(s.stall.endNs), ms(s.stall.runNs),
                 ms(s.stall.waitNs), ms(s.stoppedNs), ms(s.OwnNs()));
  };
  const auto longest = std::max_element(stalls.begin(), stalls.end(), [](const Stall& a, const Stall& b) {
    return a.endNs - a.beginNs < b.endNs - b.beginNs;
  });
  if (longest != stalls.end()) describe("the window's longest stall", ShareOf(*longest, machine));
  describe("its stall with the longest part not the machine's", LongestOwnStall(stalls, machine));
}

bool WindowHarness::WaitForDevice(int timeoutMs) {
  return ServeUntil([this] { return m_window.Idle() && m_window.Units()->ChosenPresent(); }, timeoutMs);
}

void WindowHarness::Idle(int ms) {
  QEventLoop loop;
  QTimer::singleShot(ms, &loop, &QEventLoop::quit);
  loop.exec();
}

ClickResult WindowHarness::Click(int controlId, int timeoutMs) {
  ClickResult result;
  m_boxes.Clear();
  m_probe.Reset();
  auto* button = qobject_cast<QPushButton*>(m_window.Control(controlId));
  if (!button) return result;
  OperationRunner& runner = m_window.Runner();
  QEventLoop loop;
  bool ended = false;
  QObject::connect(&runner, &OperationRunner::finished, &loop, [&] {
    ended = true;
    loop.quit();
  });
  QTimer::singleShot(timeoutMs, &loop, &QEventLoop::quit);
  result.clickNs = SteadyNs();
  button->click();
  result.started = runner.IsBusy() || ended;
  if (result.started && !ended) loop.exec();
  result.finished = ended;
  result.endNs = SteadyNs();
  result.boxes = m_boxes.Texts();
  result.boxNs = m_boxes.ShownNs();
  return result;
}

}  // namespace quorvin::bench
