#pragma once
// One conversion task of the encoder: a transcoding engine with the probes of
// its inputs, copies of the option records it was given, and its run on a
// worker thread of its own (or inline in the caller).
//
// Every task reports its end exactly once to the end callback: from its
// worker, from the caller's thread (inline run, or a task that cannot run),
// or, for a task stopped before it ran, from a short-lived thread.
#include <array>
#include <functional>
#include <memory>
#include <mutex>
#include <string>

#include "engine/av_probe.h"
#include "engine/awaited_thread.h"
#include "engine/custom_ffmpeg.h"
#include "engine/engine_callbacks.h"
#include "engine/option_records.h"
#include "engine/preview_surface.h"
#include "engine/run_control.h"

namespace kx {

class TFFmpeg : public TCustomFFmpeg {
 public:
  using TEndCallback = std::function<void(TFFmpeg& task)>;

  TFFmpeg() = default;
  // Stops a running worker and waits for it; reports no end of a task that never ran.
  ~TFFmpeg();

  // Main thread, before Start. The preview window callback is the task's own.
  void SetCallbacks(TEngineCallbacks callbacks, TEndCallback onEnd);

  // The position in the encoder's task list; kept up to date by the encoder.
  int Index() const { return index_; }
  void SetIndex(int index) { index_ = index; }

  // Created on first use; `input` below kMaxInputFiles. Describes the input
  // until the task releases its files (at its end); empty afterwards.
  TAVProbe& InputProbe(int input);
  TInputOptions& InputOptionsAt(int input) { return inputOptions_.at(input); }
  TOutputOptions& OutputOptionsAt(int output) { return outputOptions_.at(output); }

  // Sets the flags; clearing the window bit closes the preview window. The
  // caller holds PreviewLock(), so no preview offer is half-way. Main thread.
  void ApplyPreviewFlags(int flags);

  // Main thread, or the worker of a task that just ended. Nothing happens when
  // the task runs or has ended. A task without output or input ends at once
  // with its error. Threaded: the run goes to a new worker (which waits at
  // its first check point when the task was paused); else it runs here.
  void Start(bool threaded);

  // Main thread. A running task is asked to stop (a paused one too); with
  // `wait` this returns when its worker has reported the end. A task that
  // never ran reports its end now from a short-lived thread; `wait` awaits it,
  // and awaits the end of a task that has already ended.
  void Stop(bool wait);

  // A run on a worker waits at its next check point until Resume; a task
  // not started yet will wait once it starts. An inline run is never paused.
  void Pause();
  void Resume();

  // Valid once the end was reported.
  bool Finished() const;
  bool Failed() const;
  std::string ErrorMessage() const;

 private:
  void Run();
  // Detaches the probes, closes the files (deleting empty outputs); answers
  // the error text of a failure, which is logged.
  std::string ReleaseMedia();
  // Marks the end (stateMutex_ held); the caller reports it after unlocking.
  void MarkEnded(bool finished, std::string error);
  void ReportEnd();
  bool ShowPreview(const TBitmap& picture, std::int64_t ptsUs, int frameNumber);

  int index_ = -1;
  TEngineCallbacks callbacks_;
  TEndCallback onEnd_;
  std::array<std::unique_ptr<TAVProbe>, kMaxInputFiles> probes_;
  std::array<TInputOptions, kMaxInputFiles> inputOptions_;
  std::array<TOutputOptions, kMaxOutputFiles> outputOptions_;
  // Held by the worker while it shows a picture, which waits for the main thread.
  std::mutex previewerMutex_;
  std::unique_ptr<TPreviewer> previewer_;

  TRunControl control_;
  mutable std::mutex stateMutex_;
  bool pauseRequested_ = false;
  bool running_ = false;
  bool ended_ = false;  // the end was (or is being) reported
  bool finished_ = false;
  std::string error_;   // empty: no error
  std::unique_ptr<TAwaitedThread> worker_;    // set once, while running_
  std::unique_ptr<TAwaitedThread> reporter_;  // the end of a task that never ran
};

}  // namespace kx
