#pragma once
#include <chrono>

namespace kx {

// Seconds on a monotonic clock: the time base of the display's targets.
inline double WallClockSec() {
  return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count();
}

}  // namespace kx
