#include "engine/ordered_deliveries.h"

namespace kx {

TOrderedDeliveries::~TOrderedDeliveries() { AwaitAll(); }

std::deque<TOrderedDeliveries::Delivery> TOrderedDeliveries::TakeEnded() {
  std::deque<Delivery> served;
  while (!deliveries_.empty() && deliveries_.front().thread->Ended()) {
    served.push_back(std::move(deliveries_.front()));
    deliveries_.pop_front();
  }
  return served;
}

void TOrderedDeliveries::Post(std::function<void()> call) {
  std::deque<Delivery> served;
  {
    std::lock_guard lock(mutex_);
    served = TakeEnded();
    const std::uint64_t ticket = posted_++;
    deliveries_.push_back({ticket, std::make_unique<TAwaitedThread>([this, ticket, call = std::move(call)] {
                             std::unique_lock turnLock(mutex_);
                             turn_.wait(turnLock, [&] { return served_ == ticket; });
                             turnLock.unlock();
                             call();
                             turnLock.lock();
                             ++served_;
                             turn_.notify_all();
                           })});
  }
  served.clear();  // ended threads: joining does not wait
}

void TOrderedDeliveries::AwaitAll() {
  std::deque<Delivery> pending;
  {
    std::lock_guard lock(mutex_);
    pending.swap(deliveries_);
  }
  for (Delivery& delivery : pending) delivery.thread->Await();
}

}  // namespace kx
