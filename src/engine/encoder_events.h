#pragma once
// Delivery of the encoder's four events to its owner: one lock and one
// reused record per event kind. The hook runs on the worker; progress and
// preview run in the main thread while the worker waits (unless the owner
// asks for direct calls); task and run ends in a threaded run come on
// short-lived threads of their own, in order. An exception from a progress,
// preview or terminate handler is logged as "Error occurs <event>: <text>"
// and the run carries on; one from the hook passes to the transcoder.
#include <atomic>
#include <functional>
#include <memory>
#include <mutex>

#include "engine/bitmap.h"
#include "engine/event_records.h"
#include "engine/ordered_deliveries.h"

namespace kx {

class TEncoderEvents {
 public:
  explicit TEncoderEvents(TFFEncoder* sender);
  // Awaits the pending end deliveries, then lets every event in progress end.
  ~TEncoderEvents();
  TEncoderEvents(const TEncoderEvents&) = delete;
  TEncoderEvents& operator=(const TEncoderEvents&) = delete;

  // Main thread; never blocks. An event already under way ends with the
  // handler it started with.
  void SetOnCustomHook(TCustomHookEvent handler) { onCustomHook_.Set(std::move(handler)); }
  void SetOnPreviewBitmap(TPreviewBitmapEvent handler) { onPreviewBitmap_.Set(std::move(handler)); }
  void SetOnProgress(TProgressEvent handler) { onProgress_.Set(std::move(handler)); }
  void SetOnTerminate(TTerminateEvent handler) { onTerminate_.Set(std::move(handler)); }
  bool HasOnPreviewBitmap() const { return onPreviewBitmap_.Get() != nullptr; }

  bool TriggerEventInMainThread() const { return inMainThread_.load(); }
  void SetTriggerEventInMainThread(bool inMainThread) { inMainThread_.store(inMainThread); }

  // Worker thread of task `taskIndex`. Update and StopHook go back into `info`.
  void CustomHook(int taskIndex, THookInfo& info);
  void PreviewBitmap(int taskIndex, const TBitmap& picture, std::int64_t ptsUs, int frameNumber);
  void Progress(int taskIndex, const TProgressInfo& info);

  // Any thread. Threaded: on a short-lived thread after every earlier end;
  // otherwise in the calling thread before returning.
  void Terminate(const TTerminateInfo& info, bool threaded);

  // Main thread: returns once every end delivery posted so far has run.
  void AwaitTerminateDeliveries() { deliveries_.AwaitAll(); }

 private:
  // A handler that the main thread may replace while workers use it; taking
  // it costs no allocation.
  template <class Handler>
  class Slot {
   public:
    void Set(Handler handler) {
      auto held = handler ? std::make_shared<const Handler>(std::move(handler)) : nullptr;
      std::lock_guard lock(mutex_);
      held_.swap(held);
    }
    std::shared_ptr<const Handler> Get() const {
      std::lock_guard lock(mutex_);
      return held_;
    }

   private:
    mutable std::mutex mutex_;
    std::shared_ptr<const Handler> held_;
  };

  // Runs a handler, logging what it throws.
  template <class Call>
  void Guarded(const char* event, Call&& call);
  // In the main thread when asked, else here; blocks until it has run.
  void Deliver(const std::function<void()>& call);

  TFFEncoder* const sender_;
  std::atomic<bool> inMainThread_{true};

  // Each lock serialises its event over all tasks and guards its record and
  // the handler taken for the event under way.
  Slot<TCustomHookEvent> onCustomHook_;
  std::mutex hookLock_;
  THookInfo hookInfo_;

  Slot<TPreviewBitmapEvent> onPreviewBitmap_;
  std::mutex previewLock_;
  std::shared_ptr<const TPreviewBitmapEvent> previewHandler_;
  TPreviewInfo previewInfo_;
  const std::function<void()> previewCall_;

  Slot<TProgressEvent> onProgress_;
  std::mutex progressLock_;
  std::shared_ptr<const TProgressEvent> progressHandler_;
  TProgressInfo progressInfo_;
  const std::function<void()> progressCall_;

  Slot<TTerminateEvent> onTerminate_;
  std::mutex terminateLock_;
  TTerminateInfo terminateInfo_;
  TOrderedDeliveries deliveries_;  // last member: its threads use the rest
};

}  // namespace kx
