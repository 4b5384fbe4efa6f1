#pragma once
// A monotonic time in microseconds, for the timings the host and the
// benchmarks print; only differences between two readings mean anything.

#include <chrono>

namespace pelzorvick {

inline double Microseconds() {
  using Micro = std::chrono::duration<double, std::micro>;
  return std::chrono::duration_cast<Micro>(std::chrono::steady_clock::now().time_since_epoch())
      .count();
}

}  // namespace pelzorvick
