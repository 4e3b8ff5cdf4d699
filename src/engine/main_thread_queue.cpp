#include "engine/main_thread_queue.h"

#include <exception>

namespace kx {
namespace {

// Taken while the program starts, which happens in its main thread.
const std::thread::id g_startThread = std::this_thread::get_id();

}  // namespace

// A posted call lives on the poster's stack until `done` is set.
struct MainThreadQueue::Pending {
  const std::function<void()>* call = nullptr;
  std::exception_ptr error;
  bool done = false;
  std::condition_variable finished;
};

MainThreadQueue::MainThreadQueue() : mainThread_(g_startThread) {}

MainThreadQueue& MainThreadQueue::Instance() {
  static MainThreadQueue queue;
  return queue;
}

void MainThreadQueue::SetMainThread(std::thread::id id) {
  std::lock_guard lock(mutex_);
  mainThread_ = id;
}

bool MainThreadQueue::IsMainThread() const {
  std::lock_guard lock(mutex_);
  return std::this_thread::get_id() == mainThread_;
}

void MainThreadQueue::SetWakeUp(std::function<void()> wakeUp) {
  std::lock_guard lock(mutex_);
  wakeUp_ = std::move(wakeUp);
}

void MainThreadQueue::Call(const std::function<void()>& call) {
  if (IsMainThread()) {
    call();
    return;
  }
  Pending pending;
  pending.call = &call;
  std::function<void()> wakeUp;
  std::unique_lock lock(mutex_);
  pending_.push_back(&pending);
  wakeUp = wakeUp_;
  lock.unlock();
  posted_.notify_all();
  if (wakeUp) wakeUp();
  lock.lock();
  pending.finished.wait(lock, [&pending] { return pending.done; });
  if (pending.error) std::rethrow_exception(pending.error);
}

bool MainThreadQueue::Drain() {
  bool ran = false;
  std::unique_lock lock(mutex_);
  while (!pending_.empty()) {
    Pending* pending = pending_.front();
    pending_.pop_front();
    lock.unlock();
    try {
      (*pending->call)();
    } catch (...) {
      pending->error = std::current_exception();
    }
    ran = true;
    lock.lock();
    pending->done = true;
    pending->finished.notify_all();
  }
  return ran;
}

void MainThreadQueue::WaitForPost(std::chrono::milliseconds slice) {
  std::unique_lock lock(mutex_);
  posted_.wait_for(lock, slice, [this] { return !pending_.empty(); });
}

}  // namespace kx
