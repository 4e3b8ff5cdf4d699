#include "engine/preview_lock.h"

namespace kx {

std::mutex& PreviewLock() {
  static std::mutex lock;
  return lock;
}

}  // namespace kx
