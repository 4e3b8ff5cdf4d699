#pragma once
// Calls that each run on a short-lived thread of their own, one after the
// other in the order they were posted; the poster never waits. The encoder
// delivers task ends and the run end this way in threaded runs, so a handler
// runs beside the main thread and the next task, and the run end still
// arrives after the last task end.
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>

#include "engine/awaited_thread.h"

namespace kx {

class TOrderedDeliveries {
 public:
  TOrderedDeliveries() = default;
  // Awaits every posted call.
  ~TOrderedDeliveries();
  TOrderedDeliveries(const TOrderedDeliveries&) = delete;
  TOrderedDeliveries& operator=(const TOrderedDeliveries&) = delete;

  // Any thread. `call` must not throw.
  void Post(std::function<void()> call);

  // Blocks until every call posted so far has run, running pending
  // main-thread calls meanwhile when called in the main thread. Must not be
  // called from within a posted call, nor from a main-thread call that one
  // of them is waiting for.
  void AwaitAll();

 private:
  struct Delivery {
    std::uint64_t ticket;
    std::unique_ptr<TAwaitedThread> thread;
  };
  // Takes the ended threads at the front out of the list (mutex_ held).
  std::deque<Delivery> TakeEnded();

  std::mutex mutex_;
  std::condition_variable turn_;
  std::uint64_t posted_ = 0;
  std::uint64_t served_ = 0;
  std::deque<Delivery> deliveries_;
};

}  // namespace kx
