#include <gtest/gtest.h>

#include <atomic>
#include <future>
#include <stdexcept>
#include <thread>

#include "engine/main_thread_queue.h"

namespace kx {
namespace {

// gtest runs the tests in the thread that started the program: the queue's
// main thread.
TEST(MainThreadQueue, WorkersCallsRunOnTheDrainingThread) {
  MainThreadQueue& queue = MainThreadQueue::Instance();
  ASSERT_TRUE(queue.IsMainThread());
  const std::thread::id mainId = std::this_thread::get_id();

  std::atomic<int> ranOnMain{0};
  auto worker = [&] {
    for (int i = 0; i < 3; ++i)
      queue.Call([&] {
        if (std::this_thread::get_id() == mainId) ++ranOnMain;
      });
  };
  std::future<void> first = std::async(std::launch::async, worker);
  std::future<void> second = std::async(std::launch::async, worker);
  queue.WaitDraining([&] {
    return first.wait_for(std::chrono::seconds(0)) == std::future_status::ready &&
           second.wait_for(std::chrono::seconds(0)) == std::future_status::ready;
  });
  EXPECT_EQ(ranOnMain, 6);
}

TEST(MainThreadQueue, WorkerWaitsUntilItsCallHasRun) {
  MainThreadQueue& queue = MainThreadQueue::Instance();
  std::atomic<bool> wokenUp{false};
  queue.SetWakeUp([&] { wokenUp = true; });
  int value = 0;
  std::future<int> seen = std::async(std::launch::async, [&] {
    queue.Call([&] { value = 42; });
    return value;  // the call has run by now
  });
  while (!wokenUp) std::this_thread::yield();
  EXPECT_EQ(seen.wait_for(std::chrono::milliseconds(50)), std::future_status::timeout);
  queue.WaitDraining(seen);
  EXPECT_EQ(seen.get(), 42);
  queue.SetWakeUp(nullptr);
}

TEST(MainThreadQueue, MainThreadCallsRunAtOnce) {
  bool ran = false;
  MainThreadQueue::Instance().Call([&] { ran = true; });
  EXPECT_TRUE(ran);
  EXPECT_FALSE(MainThreadQueue::Instance().Drain());
}

TEST(MainThreadQueue, ExceptionReachesThePoster) {
  MainThreadQueue& queue = MainThreadQueue::Instance();
  std::future<void> call = std::async(std::launch::async, [&] {
    queue.Call([] { throw std::runtime_error("handler failed"); });
  });
  queue.WaitDraining(call);
  EXPECT_THROW(
      try { call.get(); } catch (const std::runtime_error& error) {
        EXPECT_STREQ(error.what(), "handler failed");
        throw;
      },
      std::runtime_error);
}

}  // namespace
}  // namespace kx
