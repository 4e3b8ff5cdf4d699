#include "engine/encoder_events.h"

#include <exception>

#include "engine/ffmpeg_logger.h"
#include "engine/main_thread_queue.h"

namespace kx {

TEncoderEvents::TEncoderEvents(TFFEncoder* sender)
    : sender_(sender),
      previewCall_([this] { Guarded("OnPreviewBitmap", [this] { (*previewHandler_)(sender_, previewInfo_); }); }),
      progressCall_([this] { Guarded("OnProgress", [this] { (*progressHandler_)(sender_, &progressInfo_); }); }) {}

TEncoderEvents::~TEncoderEvents() {
  deliveries_.AwaitAll();
  for (std::mutex* lock : {&hookLock_, &previewLock_, &progressLock_, &terminateLock_}) LockDraining(*lock);
}

template <class Call>
void TEncoderEvents::Guarded(const char* event, Call&& call) {
  try {
    call();
  } catch (const std::exception& error) {
    FFLogger().Log(TLogLevel::llError, std::string("Error occurs ") + event + ": " + error.what());
  }
}

void TEncoderEvents::Deliver(const std::function<void()>& call) {
  if (inMainThread_.load()) MainThreadQueue::Instance().Call(call);
  else call();
}

void TEncoderEvents::CustomHook(int taskIndex, THookInfo& info) {
  std::lock_guard lock(hookLock_);
  const auto handler = onCustomHook_.Get();
  if (!handler) return;
  hookInfo_ = info;
  hookInfo_.TaskIndex = taskIndex;
  (*handler)(sender_, &hookInfo_);
  info.Update = hookInfo_.Update;
  info.StopHook = hookInfo_.StopHook;
}

void TEncoderEvents::PreviewBitmap(int taskIndex, const TBitmap& picture, std::int64_t ptsUs, int frameNumber) {
  std::lock_guard lock(previewLock_);
  previewHandler_ = onPreviewBitmap_.Get();
  if (!previewHandler_) return;
  previewInfo_ = TPreviewInfo{taskIndex, &picture, frameNumber, ptsUs};
  Deliver(previewCall_);
}

void TEncoderEvents::Progress(int taskIndex, const TProgressInfo& info) {
  std::lock_guard lock(progressLock_);
  progressHandler_ = onProgress_.Get();
  if (!progressHandler_) return;
  progressInfo_ = info;
  progressInfo_.TaskIndex = taskIndex;
  Deliver(progressCall_);
}

void TEncoderEvents::Terminate(const TTerminateInfo& info, bool threaded) {
  std::lock_guard lock(terminateLock_);
  const auto handler = onTerminate_.Get();
  if (!handler) return;
  if (threaded) {
    deliveries_.Post([this, handler, info] { Guarded("OnTerminate", [&] { (*handler)(sender_, info); }); });
  } else {
    terminateInfo_ = info;
    Guarded("OnTerminate", [&] { (*handler)(sender_, terminateInfo_); });
  }
}

}  // namespace kx
