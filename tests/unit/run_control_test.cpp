#include "engine/run_control.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

namespace kx {
namespace {

using namespace std::chrono_literals;

TEST(RunControl, PausedWorkerWaitsUntilResumed) {
  TRunControl control;
  control.Pause();
  std::atomic<bool> passed{false};
  std::thread worker([&] {
    EXPECT_FALSE(control.CheckPoint());
    passed = true;
  });
  std::this_thread::sleep_for(50ms);
  EXPECT_FALSE(passed);
  control.Resume();
  worker.join();
  EXPECT_TRUE(passed);
}

TEST(RunControl, StopReleasesAPausedWorker) {
  TRunControl control;
  control.Pause();
  std::thread worker([&] { EXPECT_TRUE(control.CheckPoint()); });
  std::this_thread::sleep_for(20ms);
  control.RequestStop();
  worker.join();
  control.Reset();
  EXPECT_FALSE(control.StopRequested());
  EXPECT_FALSE(control.Paused());
}

}  // namespace
}  // namespace kx
