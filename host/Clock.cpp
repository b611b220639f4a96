#include "host/Clock.h"

#include <chrono>
#include <thread>

namespace quorvin {

qint64 MonoMs() {
  using namespace std::chrono;
  return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

qint64 RealClock::NowMs() { return MonoMs(); }

void RealClock::SleepMs(int ms) {
  if (ms <= 0) return;
  // The pauses between packets add up over a thousand packets: a plain sleep overshoots by a few
  // tenths of a millisecond each time (more on a loaded machine). Sleep to just short of the
  // deadline, then yield through the rest.
  using namespace std::chrono;
  const auto deadline = steady_clock::now() + milliseconds(ms);
  const auto coarse = deadline - microseconds(1500);
  if (coarse > steady_clock::now()) std::this_thread::sleep_until(coarse);
  while (steady_clock::now() < deadline) std::this_thread::yield();
}

}  // namespace quorvin
