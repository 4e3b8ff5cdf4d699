#pragma once
// TFFEncoder: the component through which the application converts media.
// It keeps a list of tasks (one input each, one or more outputs), turns the
// option records into transcoder options, runs the list with n tasks in
// parallel (or inline), and reports through four events.
//
// All operations are for the main thread. A run is started once: after it,
// editing operations are refused until ClearTasks. Every task reports its end
// exactly once, then the run end (TaskIndex -1) follows exactly once.
#include <atomic>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "engine/av_probe.h"
#include "engine/encoder_events.h"
#include "engine/event_records.h"
#include "engine/ffmpeg_task.h"
#include "engine/option_records.h"

namespace kx {

class TFFEncoder {
 public:
  TFFEncoder();
  // Stops a run (waiting for its workers and its end reports), then frees the tasks.
  ~TFFEncoder();
  TFFEncoder(const TFFEncoder&) = delete;
  TFFEncoder& operator=(const TFFEncoder&) = delete;

  static std::string Version() { return "3.3"; }

  // Each running task shows its pictures in a preview window.
  bool Preview() const { return preview_; }
  void SetPreview(bool on);
  // Each running task delivers its pictures through OnPreviewBitmap; while
  // that event is assigned, this wins over Preview.
  bool PreviewBitmap() const { return previewBitmap_; }
  void SetPreviewBitmap(bool on);
  // Milliseconds between progress reports; at least 100. Takes effect at a task's start.
  int ProgressInterval() const { return progressIntervalMs_; }
  void SetProgressInterval(int ms) { progressIntervalMs_ = ms <= 100 ? 100 : ms; }
  // OnProgress and OnPreviewBitmap in the main thread (the worker waits) or on the worker.
  bool TriggerEventInMainThread() const { return events_.TriggerEventInMainThread(); }
  void SetTriggerEventInMainThread(bool on) { events_.SetTriggerEventInMainThread(on); }

  // An event already under way ends with the handler it started with.
  void SetOnCustomHook(TCustomHookEvent handler) { events_.SetOnCustomHook(std::move(handler)); }
  void SetOnPreviewBitmap(TPreviewBitmapEvent handler);
  void SetOnProgress(TProgressEvent handler) { events_.SetOnProgress(std::move(handler)); }
  void SetOnTerminate(TTerminateEvent handler) { events_.SetOnTerminate(std::move(handler)); }

  // The text of the last failure of LoadAVLib, AddTask or SetOutputFile.
  const std::string& LastErrMsg() const { return lastErrMsg_; }
  // A probe of the component's own, for reading any file's streams.
  TAVProbe& AVProbe() { return avProbe_; }

  bool LoadAVLib(const std::string& folder);
  bool AVLibLoaded() const;

  // The operations below that change the list raise std::runtime_error
  // "Cannot <operation> while working." during and after a run.

  // A new task reading `fileName`; its index, or -1 with LastErrMsg. With
  // options, an empty FileName in them is set to `fileName`.
  int AddTask(const std::string& fileName, TInputOptions* options = nullptr);
  // Gives task `task` one more output; false with LastErrMsg. The task keeps
  // its earlier outputs when this fails.
  bool SetOutputFile(int task, const std::string& fileName, TOutputOptions* options = nullptr);
  void RemoveTask(int task);
  // Frees every task and ends a finished run; refused while a run goes on.
  void ClearTasks();
  // Runs the list: `parallel` tasks at a time on worker threads, each ending
  // task starting the next; 0 runs them all here, one after the other. A run
  // of an empty list ends at once. Tasks paused before the start wait.
  void StartTask(int parallel);
  void Pause();
  void Resume();
  // Starts no further task and stops every one of the run (nothing happens
  // when no run was started). With `wait`, returns once every task and the
  // run have reported their end. Never from inside OnProgress or
  // OnPreviewBitmap of a threaded run (their worker waits for the handler),
  // nor from an OnTerminate delivery.
  void Stop(bool wait);

  int TasksCount() const { return static_cast<int>(tasks_.size()); }
  // The probe of input `input` of task `task`.
  TAVProbe& InputProbe(int task, int input);

 private:
  void RefuseWhileWorking(const char* operation) const;
  TFFmpeg& Task(int task);
  bool ServesPreviewBitmap() const { return previewBitmap_ && events_.HasOnPreviewBitmap(); }
  int PreviewFlags() const;
  // Sets or clears one bit in every task, so a bit that a run cleared itself
  // (a window the user closed) stays cleared.
  void SetPreviewFlag(int flag, bool on);
  TEngineCallbacks CallbacksOf(TFFmpeg& task);
  // Any thread: takes the next task of the run and starts it.
  void StartNextTask();
  // Any thread: `task` has ended (null: a run without tasks).
  void DoTerminate(TFFmpeg* task);

  TEncoderEvents events_;
  TAVProbe avProbe_;
  std::string lastErrMsg_;
  bool preview_ = false;
  bool previewBitmap_ = false;
  std::atomic<int> progressIntervalMs_{500};

  std::vector<std::unique_ptr<TFFmpeg>> tasks_;  // changed only while no run goes on

  // The run. `working_` is the main thread's; the rest is shared with workers.
  bool working_ = false;
  std::mutex runMutex_;
  int finishedCount_ = 0;
  int nextTask_ = -1;
  int tasksLeft_ = 0;
  std::atomic<bool> threaded_{false};
  std::atomic<bool> allTerminated_{false};
};

}  // namespace kx
