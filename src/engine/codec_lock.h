#pragma once
#include <mutex>

namespace kx {

// The process-wide lock around reading stream information and opening and
// closing codecs, taken by every engine, the player and the probe. Take it
// alone: never while holding another engine lock.
std::mutex& CodecLock();

}  // namespace kx
