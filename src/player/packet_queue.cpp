#include "player/packet_queue.h"

namespace kx {

namespace {
// Even an empty packet weighs 72 bytes, so markers count as queued.
std::int64_t WeightOf(const TQueuedPacket& entry) { return (entry.packet ? entry.packet->size : 0) + 72; }
}  // namespace

void TPacketQueue::Put(TQueuedPacket entry) {
  {
    std::lock_guard lock(mutex_);
    bytes_ += WeightOf(entry);
    entries_.push_back(std::move(entry));
  }
  changed_.notify_one();
}

TQueueGet TPacketQueue::Get(TQueuedPacket& entry, bool block) {
  std::unique_lock lock(mutex_);
  while (true) {
    if (aborted_) return TQueueGet::Aborted;
    if (!entries_.empty()) {
      entry = std::move(entries_.front());
      entries_.pop_front();
      bytes_ -= WeightOf(entry);
      return TQueueGet::Got;
    }
    if (!block) return TQueueGet::Empty;
    changed_.wait(lock);
  }
}

void TPacketQueue::Clear() {
  std::lock_guard lock(mutex_);
  entries_.clear();
  bytes_ = 0;
}

void TPacketQueue::Abort() {
  {
    std::lock_guard lock(mutex_);
    aborted_ = true;
  }
  changed_.notify_all();
}

int TPacketQueue::Count() const {
  std::lock_guard lock(mutex_);
  return static_cast<int>(entries_.size());
}

std::int64_t TPacketQueue::Bytes() const {
  std::lock_guard lock(mutex_);
  return bytes_;
}

}  // namespace kx
