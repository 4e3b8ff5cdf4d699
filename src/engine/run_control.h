#pragma once
// How the main thread reaches a running task: a stop request and a pause
// gate. The transcode loop calls CheckPoint between packets and between
// duplicated frames; Stop, Pause and Resume come from the main thread.
#include <atomic>
#include <condition_variable>
#include <mutex>

namespace kx {

class TRunControl {
 public:
  // Before a run: not stopped, not paused.
  void Reset();

  // Any thread. Also opens the pause gate, so a paused task can end.
  void RequestStop();
  bool StopRequested() const { return stop_.load(std::memory_order_acquire); }

  void Pause();
  void Resume();
  bool Paused() const;

  // Worker thread: blocks while paused (never while a stop is requested);
  // answers StopRequested() afterwards.
  bool CheckPoint();

 private:
  std::atomic<bool> stop_{false};
  mutable std::mutex mutex_;
  std::condition_variable resumed_;
  bool paused_ = false;
};

}  // namespace kx
