#pragma once
// Synchronous calls into the main (user-interface) thread. A worker posts a
// call and blocks until the main thread has run it; the main thread runs
// pending calls from its event loop (Drain, prompted by the wake-up hook)
// and from every wait of its own (WaitDraining), so a worker blocked in a
// call can always finish.
#include <chrono>
#include <condition_variable>
#include <deque>
#include <functional>
#include <future>
#include <mutex>
#include <thread>

namespace kx {

class MainThreadQueue {
 public:
  // The process's queue. Its main thread is the thread that started the
  // program (static initialisation) until SetMainThread names another.
  static MainThreadQueue& Instance();

  void SetMainThread(std::thread::id id);
  bool IsMainThread() const;

  // Runs `call` in the main thread and returns when it has run; an exception
  // it throws is rethrown here. Runs it at once when the caller is the main
  // thread. Blocks a worker until the main thread drains.
  void Call(const std::function<void()>& call);

  // Main thread: runs every pending call; answers whether any ran.
  bool Drain();

  // Called from the posting thread after each post, so an event loop can
  // schedule a Drain (the GUI posts itself an event). Set it before workers run.
  void SetWakeUp(std::function<void()> wakeUp);

  // Waits until `done()` holds. In the main thread pending calls are run
  // while waiting, waking at least every 20 ms; elsewhere it only waits.
  template <class Predicate>
  void WaitDraining(Predicate done);

  template <class T>
  void WaitDraining(const std::future<T>& future) {
    WaitDraining([&future] { return future.wait_for(std::chrono::seconds(0)) == std::future_status::ready; });
  }

 private:
  struct Pending;
  MainThreadQueue();
  // Blocks for at most `slice` or until a call is posted.
  void WaitForPost(std::chrono::milliseconds slice);

  mutable std::mutex mutex_;
  std::condition_variable posted_;
  std::deque<Pending*> pending_;
  std::thread::id mainThread_;
  std::function<void()> wakeUp_;
};

template <class Predicate>
void MainThreadQueue::WaitDraining(Predicate done) {
  constexpr std::chrono::milliseconds kSlice(20);
  const bool main = IsMainThread();
  while (true) {
    if (main) Drain();
    if (done()) return;
    if (main) WaitForPost(kSlice);
    else std::this_thread::sleep_for(kSlice);
  }
}

// Takes `mutex` that a worker may hold while it waits for a main-thread call:
// in the main thread pending calls are run until the lock is free.
inline std::unique_lock<std::mutex> LockDraining(std::mutex& mutex) {
  std::unique_lock lock(mutex, std::try_to_lock);
  if (!lock) MainThreadQueue::Instance().WaitDraining([&lock] { return lock.try_lock(); });
  return lock;
}

}  // namespace kx
