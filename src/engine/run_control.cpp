#include "engine/run_control.h"

namespace kx {

void TRunControl::Reset() {
  std::lock_guard lock(mutex_);
  stop_.store(false, std::memory_order_release);
  paused_ = false;
}

void TRunControl::RequestStop() {
  {
    std::lock_guard lock(mutex_);
    stop_.store(true, std::memory_order_release);
  }
  resumed_.notify_all();
}

void TRunControl::Pause() {
  std::lock_guard lock(mutex_);
  paused_ = true;
}

void TRunControl::Resume() {
  {
    std::lock_guard lock(mutex_);
    paused_ = false;
  }
  resumed_.notify_all();
}

bool TRunControl::Paused() const {
  std::lock_guard lock(mutex_);
  return paused_;
}

bool TRunControl::CheckPoint() {
  std::unique_lock lock(mutex_);
  resumed_.wait(lock, [this] { return !paused_ || StopRequested(); });
  return StopRequested();
}

}  // namespace kx
