// How the encoder's events reach their handlers: on which thread, with which
// record, in which order, and what becomes of a handler's exception.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <future>
#include <mutex>
#include <stdexcept>
#include <thread>
#include <vector>

#include "engine/encoder_events.h"
#include "engine/ffmpeg_logger.h"
#include "engine/main_thread_queue.h"

namespace kx {
namespace {

using namespace std::chrono_literals;

// Runs `work` on a worker thread while this (the main) thread runs the
// main-thread calls it posts, as a GUI's event loop would.
template <class Work>
void OnWorker(Work work) {
  std::future<void> done = std::async(std::launch::async, work);
  MainThreadQueue::Instance().WaitDraining(done);
  done.get();
}

// The logger's lines, taken directly in the thread that logs.
class LogLines {
 public:
  LogLines() {
    FFLogger().SetTriggerEventInMainThread(false);
    FFLogger().SetOnLog([this](TFFLogger*, std::thread::id, TLogLevel level, const std::string& text) {
      std::lock_guard lock(mutex_);
      lines_.push_back({level, text});
    });
  }
  ~LogLines() {
    FFLogger().SetOnLog(nullptr);
    FFLogger().SetTriggerEventInMainThread(true);
  }
  bool Has(TLogLevel level, const std::string& text) {
    std::lock_guard lock(mutex_);
    for (const auto& [l, t] : lines_)
      if (l == level && t.find(text) != std::string::npos) return true;
    return false;
  }

 private:
  std::mutex mutex_;
  std::vector<std::pair<TLogLevel, std::string>> lines_;
};

TFFEncoder* const kSender = reinterpret_cast<TFFEncoder*>(0x1234);

TEST(EncoderEventsTest, ProgressAndPreviewRunInTheMainThreadOnlyWhenAsked) {
  const std::thread::id mainId = std::this_thread::get_id();
  for (bool inMainThread : {true, false}) {
    SCOPED_TRACE(inMainThread);
    TEncoderEvents events(kSender);
    events.SetTriggerEventInMainThread(inMainThread);
    std::thread::id progressThread, previewThread, workerThread;
    TProgressInfo seenProgress;
    TPreviewInfo seenPreview;
    events.SetOnProgress([&](TFFEncoder* sender, PProgressInfo info) {
      EXPECT_EQ(sender, kSender);
      progressThread = std::this_thread::get_id();
      seenProgress = *info;
    });
    events.SetOnPreviewBitmap([&](TFFEncoder*, const TPreviewInfo& info) {
      previewThread = std::this_thread::get_id();
      seenPreview = info;
    });
    TBitmap picture;
    picture.Resize(4, 2);
    OnWorker([&] {
      workerThread = std::this_thread::get_id();
      TProgressInfo info;
      info.FrameNumber = 75;
      info.CurrentSize = 4096;
      events.Progress(3, info);
      events.PreviewBitmap(2, picture, 1500000, 40);
    });
    EXPECT_EQ(progressThread, inMainThread ? mainId : workerThread);
    EXPECT_EQ(previewThread, inMainThread ? mainId : workerThread);
    EXPECT_EQ(seenProgress.TaskIndex, 3);
    EXPECT_EQ(seenProgress.FrameNumber, 75);
    EXPECT_EQ(seenProgress.CurrentSize, 4096);
    EXPECT_EQ(seenPreview.TaskIndex, 2);
    EXPECT_EQ(seenPreview.Bitmap, &picture);
    EXPECT_EQ(seenPreview.FrameNumber, 40);
    EXPECT_EQ(seenPreview.PTS, 1500000);
  }
}

TEST(EncoderEventsTest, HookAnswersGoBackToTheTranscoder) {
  TEncoderEvents events(kSender);
  std::thread::id hookThread, workerThread;
  events.SetOnCustomHook([&](TFFEncoder*, PHookInfo info) {
    hookThread = std::this_thread::get_id();
    EXPECT_EQ(info->TaskIndex, 1);
    EXPECT_EQ(info->FrameNumber, 7);
    EXPECT_TRUE(info->Update);
    info->Update = false;
    info->StopHook = true;
  });
  TBitmap picture;
  THookInfo info;
  info.Bitmap = &picture;
  info.FrameNumber = 7;
  OnWorker([&] {
    workerThread = std::this_thread::get_id();
    events.CustomHook(1, info);
  });
  EXPECT_EQ(hookThread, workerThread);
  EXPECT_FALSE(info.Update);
  EXPECT_TRUE(info.StopHook);
}

TEST(EncoderEventsTest, HandlerErrorsAreLoggedAndTheRunGoesOn) {
  LogLines log;
  TEncoderEvents events(kSender);
  events.SetOnProgress([](TFFEncoder*, PProgressInfo) { throw std::runtime_error("progress broke"); });
  events.SetOnPreviewBitmap([](TFFEncoder*, const TPreviewInfo&) { throw std::runtime_error("preview broke"); });
  events.SetOnTerminate([](TFFEncoder*, const TTerminateInfo&) { throw std::runtime_error("end broke"); });
  TBitmap picture;
  OnWorker([&] {
    events.Progress(0, TProgressInfo{});
    events.PreviewBitmap(0, picture, 0, 1);
    events.Terminate(TTerminateInfo{0, true, false, {}}, true);
  });
  events.AwaitTerminateDeliveries();
  EXPECT_TRUE(log.Has(TLogLevel::llError, "Error occurs OnProgress: progress broke"));
  EXPECT_TRUE(log.Has(TLogLevel::llError, "Error occurs OnPreviewBitmap: preview broke"));
  EXPECT_TRUE(log.Has(TLogLevel::llError, "Error occurs OnTerminate: end broke"));

  // The hook's exception is the transcoder's to log.
  events.SetOnCustomHook([](TFFEncoder*, PHookInfo) { throw std::runtime_error("hook broke"); });
  THookInfo info;
  EXPECT_THROW(events.CustomHook(0, info), std::runtime_error);
}

TEST(EncoderEventsTest, ThreadedEndsArriveInOrderOnThreadsOfTheirOwn) {
  TEncoderEvents events(kSender);
  std::mutex mutex;
  std::vector<int> order;
  std::vector<std::thread::id> threads;
  std::atomic<bool> mainCallRan{false};
  events.SetOnTerminate([&](TFFEncoder*, const TTerminateInfo& info) {
    // Early ends take longer, so only ordering keeps them first.
    std::this_thread::sleep_for(std::chrono::milliseconds(info.TaskIndex < 0 ? 0 : 10 - info.TaskIndex));
    // A handler doing its user-interface work synchronously in the main thread.
    if (info.TaskIndex == 2) MainThreadQueue::Instance().Call([&] { mainCallRan = true; });
    std::lock_guard lock(mutex);
    order.push_back(info.TaskIndex);
    threads.push_back(std::this_thread::get_id());
  });
  for (int task = 0; task < 5; ++task) events.Terminate({task, task % 2 == 0, false, {}}, true);
  events.Terminate({-1, true, false, {}}, true);
  events.AwaitTerminateDeliveries();
  EXPECT_EQ(order, (std::vector<int>{0, 1, 2, 3, 4, -1}));
  EXPECT_TRUE(mainCallRan);
  for (std::thread::id id : threads) EXPECT_NE(id, std::this_thread::get_id());
}

TEST(EncoderEventsTest, UnthreadedEndRunsBeforeTerminateReturns) {
  TEncoderEvents events(kSender);
  TTerminateInfo seen;
  std::thread::id handlerThread;
  events.SetOnTerminate([&](TFFEncoder*, const TTerminateInfo& info) {
    seen = info;
    handlerThread = std::this_thread::get_id();
  });
  events.Terminate({4, false, true, "Unknown encoder 'nope'"}, false);
  EXPECT_EQ(handlerThread, std::this_thread::get_id());
  EXPECT_EQ(seen.TaskIndex, 4);
  EXPECT_FALSE(seen.Finished);
  EXPECT_TRUE(seen.Exception);
  EXPECT_EQ(seen.ExceptionMsg, "Unknown encoder 'nope'");
}

TEST(EncoderEventsTest, HandlersAreSwappedWhileAWorkerReports) {
  TEncoderEvents events(kSender);
  std::atomic<int> calls{0};
  std::atomic<bool> stop{false};
  // The worker keeps reporting and waits for the main thread each time.
  std::future<void> worker = std::async(std::launch::async, [&] {
    while (!stop) events.Progress(0, TProgressInfo{});
  });
  for (int i = 0; i < 20; ++i) {
    events.SetOnProgress([&](TFFEncoder*, PProgressInfo) { ++calls; });
    MainThreadQueue::Instance().WaitDraining([&] { return calls > 0; });
    events.SetOnProgress(nullptr);
    calls = 0;
  }
  stop = true;
  MainThreadQueue::Instance().WaitDraining(worker);
  const int before = calls;
  events.Progress(0, TProgressInfo{});
  EXPECT_EQ(calls, before);
}

}  // namespace
}  // namespace kx
