#include "engine/codec_lock.h"

namespace kx {

std::mutex& CodecLock() {
  static std::mutex lock;
  return lock;
}

}  // namespace kx
