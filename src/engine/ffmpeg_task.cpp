#include "engine/ffmpeg_task.h"

#include <exception>

#include "engine/ffmpeg_logger.h"
#include "engine/main_thread_queue.h"

namespace kx {
namespace {

std::string TextOf(const std::exception_ptr& error) {
  try {
    std::rethrow_exception(error);
  } catch (const std::exception& e) {
    return e.what();
  } catch (...) {
    return "Unknown error";
  }
}

}  // namespace

TFFmpeg::~TFFmpeg() {
  {
    std::lock_guard lock(stateMutex_);
    if (running_) control_.RequestStop();
  }
  worker_.reset();
  reporter_.reset();
  ReleaseMedia();
}

std::string TFFmpeg::ReleaseMedia() {
  // A probe must not outlive the input it describes.
  for (auto& probe : probes_)
    if (probe) probe->Attach(nullptr);
  try {
    Release();
    return {};
  } catch (...) {
    const std::string text = TextOf(std::current_exception());
    FFLogger().Log(TLogLevel::llQuiet, text);
    return text;
  }
}

void TFFmpeg::SetCallbacks(TEngineCallbacks callbacks, TEndCallback onEnd) {
  callbacks_ = std::move(callbacks);
  callbacks_.previewWindow = [this](const TBitmap& picture, std::int64_t ptsUs, int frameNumber) {
    return ShowPreview(picture, ptsUs, frameNumber);
  };
  onEnd_ = std::move(onEnd);
}

TAVProbe& TFFmpeg::InputProbe(int input) {
  std::unique_ptr<TAVProbe>& probe = probes_.at(input);
  if (!probe) probe = std::make_unique<TAVProbe>();
  return *probe;
}

void TFFmpeg::ApplyPreviewFlags(int flags) {
  SetPreviewFlags(flags);
  if (flags & kPreviewWindowFlag) return;
  auto lock = LockDraining(previewerMutex_);
  previewer_.reset();
}

bool TFFmpeg::ShowPreview(const TBitmap& picture, std::int64_t ptsUs, int frameNumber) {
  std::lock_guard lock(previewerMutex_);
  if (!previewer_) previewer_ = std::make_unique<TPreviewer>();
  return previewer_->Show(picture, ptsUs, frameNumber);
}

void TFFmpeg::Start(bool threaded) {
  std::unique_lock lock(stateMutex_);
  if (running_ || ended_) return;
  const char* missing = OutputCount() == 0   ? "At least one output file must be specified"
                        : Inputs().empty() ? "At least one input file must be specified"
                                           : nullptr;
  if (missing) {
    MarkEnded(false, missing);
    lock.unlock();
    FFLogger().Log(TLogLevel::llQuiet, missing);
    ReleaseMedia();
    ReportEnd();
    return;
  }
  running_ = true;
  finished_ = false;
  control_.Reset();
  if (threaded && pauseRequested_) control_.Pause();
  if (threaded) {
    worker_ = std::make_unique<TAwaitedThread>([this] { Run(); });
  } else {
    lock.unlock();
    Run();
  }
}

void TFFmpeg::Run() {
  bool finished = false;
  std::string error;
  try {
    finished = Transcode(control_, callbacks_);  // logs its own errors
  } catch (...) {
    error = TextOf(std::current_exception());
  }
  // Files are closed and empty outputs deleted whatever ended the run.
  const std::string releaseError = ReleaseMedia();
  if (error.empty()) error = releaseError;
  {
    std::lock_guard lock(stateMutex_);
    MarkEnded(finished && error.empty(), std::move(error));
  }
  ReportEnd();
}

void TFFmpeg::MarkEnded(bool finished, std::string error) {
  running_ = false;
  ended_ = true;
  finished_ = finished;
  error_ = std::move(error);
}

void TFFmpeg::ReportEnd() {
  if (onEnd_) onEnd_(*this);
}

void TFFmpeg::Stop(bool wait) {
  TAwaitedThread* awaited = nullptr;
  {
    std::lock_guard lock(stateMutex_);
    if (running_) {
      control_.RequestStop();
      awaited = worker_.get();
    } else if (!ended_) {
      MarkEnded(false, {});
      // It will never run: its files are closed (empty ones deleted) at once.
      reporter_ = std::make_unique<TAwaitedThread>([this] {
        ReleaseMedia();
        ReportEnd();
      });
      awaited = reporter_.get();
    } else {
      awaited = reporter_ ? reporter_.get() : worker_.get();
    }
  }
  if (wait && awaited) awaited->Await();
}

void TFFmpeg::Pause() {
  std::lock_guard lock(stateMutex_);
  pauseRequested_ = true;
  if (running_ && worker_) control_.Pause();
}

void TFFmpeg::Resume() {
  std::lock_guard lock(stateMutex_);
  pauseRequested_ = false;
  control_.Resume();
}

bool TFFmpeg::Finished() const {
  std::lock_guard lock(stateMutex_);
  return finished_;
}

bool TFFmpeg::Failed() const {
  std::lock_guard lock(stateMutex_);
  return !error_.empty();
}

std::string TFFmpeg::ErrorMessage() const {
  std::lock_guard lock(stateMutex_);
  return error_;
}

}  // namespace kx
