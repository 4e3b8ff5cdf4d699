#pragma once
// A thread whose end the main thread can await without starving the
// main-thread call queue: waiting keeps running the calls that workers post
// (a worker may be blocked in one), so the thread can always finish.
#include <atomic>
#include <functional>
#include <thread>

namespace kx {

class TAwaitedThread {
 public:
  // Starts `body` on a new thread at once; the body catches its own exceptions.
  explicit TAwaitedThread(std::function<void()> body);
  // Awaits and joins the thread.
  ~TAwaitedThread();
  TAwaitedThread(const TAwaitedThread&) = delete;
  TAwaitedThread& operator=(const TAwaitedThread&) = delete;

  // Any thread: the body has returned.
  bool Ended() const { return ended_.load(std::memory_order_acquire); }

  // Blocks until the body has returned; in the main thread it runs pending
  // main-thread calls meanwhile. Then joins. Never call it from the thread itself.
  void Await();

 private:
  std::atomic<bool> ended_{false};
  std::thread thread_;
};

}  // namespace kx
