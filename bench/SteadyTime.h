#pragma once
// One time base for every moment the benchmarks note: the steady clock, in nanoseconds.

#include <chrono>
#include <cstdint>

namespace quorvin::bench {

[[nodiscard]] inline std::int64_t SteadyNs() {
  return std::chrono::duration_cast<std::chrono::nanoseconds>(std::chrono::steady_clock::now().time_since_epoch())
      .count();
}

}  // namespace quorvin::bench
