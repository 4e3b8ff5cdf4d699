#include "engine/awaited_thread.h"

#include "engine/main_thread_queue.h"

namespace kx {

TAwaitedThread::TAwaitedThread(std::function<void()> body)
    : thread_([this, body = std::move(body)] {
        body();
        ended_.store(true, std::memory_order_release);
      }) {}

TAwaitedThread::~TAwaitedThread() { Await(); }

void TAwaitedThread::Await() {
  MainThreadQueue::Instance().WaitDraining([this] { return Ended(); });
  if (thread_.joinable()) thread_.join();
}

}  // namespace kx
