#include "player/picture_queue.h"

namespace kx {

TPictureSlot* TPictureQueue::BeginWrite() {
  std::unique_lock lock(mutex_);
  changed_.wait(lock, [this] { return aborted_ || count_ < kSlots; });
  if (aborted_) return nullptr;
  return &slots_[(read_ + count_) % kSlots];
}

void TPictureQueue::EndWrite() {
  std::lock_guard lock(mutex_);
  slots_[(read_ + count_) % kSlots].targetSec = -1;
  ++count_;
}

TPictureSlot* TPictureQueue::Peek(int n) {
  std::lock_guard lock(mutex_);
  return n < count_ ? &slots_[(read_ + n) % kSlots] : nullptr;
}

void TPictureQueue::Pop() {
  {
    std::lock_guard lock(mutex_);
    if (count_ == 0) return;
    read_ = (read_ + 1) % kSlots;
    --count_;
  }
  changed_.notify_all();
}

void TPictureQueue::Abort() {
  {
    std::lock_guard lock(mutex_);
    aborted_ = true;
  }
  changed_.notify_all();
}

}  // namespace kx
