#include "player/player_event_queue.h"

namespace kx {

void TPlayerEventQueue::Post(const TPlayerEvent& event) {
  {
    std::lock_guard lock(mutex_);
    TPlayerEvent& newest = ring_[(first_ + count_ - 1 + kCapacity) % kCapacity];
    if (count_ > 0 && newest.kind == event.kind) {
      newest = event;
    } else {
      if (count_ == kCapacity) {
        first_ = (first_ + 1) % kCapacity;
        --count_;
      }
      ring_[(first_ + count_) % kCapacity] = event;
      ++count_;
    }
  }
  available_.notify_one();
}

TPlayerEvent TPlayerEventQueue::Take() {
  std::unique_lock lock(mutex_);
  available_.wait(lock, [this] { return count_ > 0; });
  TPlayerEvent event = ring_[first_];
  first_ = (first_ + 1) % kCapacity;
  --count_;
  return event;
}

}  // namespace kx
