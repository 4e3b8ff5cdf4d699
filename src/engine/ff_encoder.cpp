#include "engine/ff_encoder.h"

#include <stdexcept>

#include "engine/ffmpeg_loader.h"
#include "engine/main_thread_queue.h"
#include "engine/option_plan.h"
#include "engine/preview_lock.h"

namespace kx {

TFFEncoder::TFFEncoder() : events_(this) {}

TFFEncoder::~TFFEncoder() {
  Stop(true);
  tasks_.clear();
}

void TFFEncoder::RefuseWhileWorking(const char* operation) const {
  if (working_) throw std::runtime_error(std::string("Cannot ") + operation + " while working.");
}

TFFmpeg& TFFEncoder::Task(int task) {
  if (task < 0 || task >= TasksCount())
    throw std::out_of_range("Task index out of bounds (" + std::to_string(task) + ")");
  return *tasks_[task];
}

int TFFEncoder::PreviewFlags() const {
  return (preview_ ? kPreviewWindowFlag : 0) | (ServesPreviewBitmap() ? kPreviewBitmapFlag : 0);
}

void TFFEncoder::SetPreviewFlag(int flag, bool on) {
  // A worker holds the preview lock while it waits for a main-thread call.
  auto lock = LockDraining(PreviewLock());
  for (auto& task : tasks_) task->ApplyPreviewFlags(on ? task->PreviewFlags() | flag : task->PreviewFlags() & ~flag);
}

void TFFEncoder::SetPreview(bool on) {
  SetPreviewFlag(kPreviewWindowFlag, on);
  preview_ = on;
}

void TFFEncoder::SetPreviewBitmap(bool on) {
  previewBitmap_ = on;
  SetPreviewFlag(kPreviewBitmapFlag, ServesPreviewBitmap());
}

void TFFEncoder::SetOnPreviewBitmap(TPreviewBitmapEvent handler) {
  events_.SetOnPreviewBitmap(std::move(handler));
  SetPreviewFlag(kPreviewBitmapFlag, ServesPreviewBitmap());
}

bool TFFEncoder::LoadAVLib(const std::string& folder) {
  FFLoader().SetLibPath(folder);
  if (FFLoader().LoadLibs(kEncoderLibs)) return true;
  lastErrMsg_ = FFLoader().LastError();
  return false;
}

bool TFFEncoder::AVLibLoaded() const { return FFLoader().LibsLoaded(kEncoderLibs); }

TEngineCallbacks TFFEncoder::CallbacksOf(TFFmpeg& task) {
  TFFmpeg* const t = &task;
  TEngineCallbacks callbacks;
  callbacks.progress = [this, t](TProgressInfo& info) { events_.Progress(t->Index(), info); };
  callbacks.previewBitmap = [this, t](const TBitmap& picture, std::int64_t ptsUs, int frameNumber) {
    events_.PreviewBitmap(t->Index(), picture, ptsUs, frameNumber);
  };
  callbacks.customHook = [this, t](THookInfo& info) { events_.CustomHook(t->Index(), info); };
  return callbacks;
}

int TFFEncoder::AddTask(const std::string& fileName, TInputOptions* options) {
  RefuseWhileWorking("AddTask");
  if (!AVLibLoaded()) {
    lastErrMsg_ = "The media libraries are not loaded.";
    return -1;
  }
  try {
    auto task = std::make_unique<TFFmpeg>();
    task->SetOption("v", "1");
    task->SetPreviewFlags(PreviewFlags());
    task->SetCallbacks(CallbacksOf(*task), [this](TFFmpeg& ended) { DoTerminate(&ended); });
    const int input = static_cast<int>(task->Inputs().size());
    if (options) {
      if (options->FileName.empty()) options->FileName = fileName;
      task->InputOptionsAt(input) = *options;
      for (const TOptionCall& call : PlanInputOptions(*options)) task->SetOption(call.Name, call.Value);
    }
    if (!task->OpenInput(fileName)) {
      lastErrMsg_ = task->LastError();
      return -1;
    }
    task->InputProbe(input).Attach(task->Inputs().back().ctx.get());
    task->SetIndex(TasksCount());
    tasks_.push_back(std::move(task));
    return TasksCount() - 1;
  } catch (const std::exception& error) {
    lastErrMsg_ = error.what();
    return -1;
  }
}

bool TFFEncoder::SetOutputFile(int taskIndex, const std::string& fileName, TOutputOptions* options) {
  RefuseWhileWorking("SetOutputFile");
  TFFmpeg& task = Task(taskIndex);
  const int output = static_cast<int>(task.OutputCount());
  if (output >= kMaxOutputFiles) {
    lastErrMsg_ = "max output files " + std::to_string(kMaxOutputFiles) + " reached";
    return false;
  }
  TOutputOptions& stored = task.OutputOptionsAt(output);
  try {
    TOutputOptionPlan plan;
    if (options) {
      if (options->FileName.empty()) options->FileName = fileName;
      stored = *options;
      plan = PlanOutputOptions(*options);
      if (plan.Target) task.SetTarget(plan.Target->Type, plan.Target->Norm, plan.Target->FallbackNorm);
      for (const TOptionCall& call : plan.BeforeCreate) task.SetOption(call.Name, call.Value);
      if (options->CustomHook) task.SetCustomHookEnabled(true);
    } else {
      InitOutputOptions(stored);
    }
    if (task.CreateOutput(fileName, options && options->Join) < 0) {
      lastErrMsg_ = task.LastError();
      InitOutputOptions(stored);
      return false;
    }
    for (const TOptionCall& call : plan.AfterCreate) task.SetOption(call.Name, call.Value);
    return true;
  } catch (const std::exception& error) {
    lastErrMsg_ = error.what();
    if (static_cast<int>(task.OutputCount()) == output) InitOutputOptions(stored);
    return false;
  }
}

void TFFEncoder::RemoveTask(int task) {
  RefuseWhileWorking("RemoveTask");
  Task(task);  // raises for an index out of bounds
  tasks_.erase(tasks_.begin() + task);
  for (int i = task; i < TasksCount(); ++i) tasks_[i]->SetIndex(i);
}

void TFFEncoder::ClearTasks() {
  if (working_ && !allTerminated_) throw std::runtime_error("Cannot ClearTasks while working.");
  // The run has ended: no worker reads the list any more, though the last
  // ones may still be returning; each task awaits its own.
  tasks_.clear();
  lastErrMsg_.clear();
  std::lock_guard lock(runMutex_);
  finishedCount_ = 0;
  nextTask_ = -1;
  tasksLeft_ = 0;
  allTerminated_ = false;
  threaded_ = false;
  working_ = false;
}

void TFFEncoder::StartTask(int parallel) {
  RefuseWhileWorking("StartTask");
  {
    std::lock_guard lock(runMutex_);
    finishedCount_ = 0;
    nextTask_ = 0;
    tasksLeft_ = TasksCount();
    allTerminated_ = false;
    threaded_ = parallel > 0;
  }
  working_ = true;
  // An empty run still ends, or the list would stay locked for good.
  if (tasks_.empty()) return DoTerminate(nullptr);
  while (true) {
    {
      std::lock_guard lock(runMutex_);
      if (tasksLeft_ <= 0) break;
    }
    StartNextTask();
    if (threaded_ && --parallel <= 0) break;
  }
}

void TFFEncoder::StartNextTask() {
  TFFmpeg* task = nullptr;
  {
    std::lock_guard lock(runMutex_);
    if (tasksLeft_ <= 0) return;
    --tasksLeft_;
    task = tasks_[nextTask_++].get();
  }
  task->SetProgressIntervalUs(static_cast<std::int64_t>(progressIntervalMs_) * 1000);
  task->Start(threaded_);
}

void TFFEncoder::DoTerminate(TFFmpeg* task) {
  if (task) events_.Terminate({task->Index(), task->Finished(), task->Failed(), task->ErrorMessage()}, threaded_);
  bool runEnd = false;
  bool startNext = false;
  {
    std::lock_guard lock(runMutex_);
    if (task) ++finishedCount_;
    runEnd = tasksLeft_ < 1 && finishedCount_ >= TasksCount();
    startNext = !runEnd && tasksLeft_ >= 1 && threaded_;
  }
  if (runEnd) {
    // Set before the run end goes out: its handler may clear the list at once.
    allTerminated_ = true;
    events_.Terminate({-1, true, false, {}}, threaded_);
  } else if (startNext) {
    StartNextTask();
  }
}

void TFFEncoder::Pause() {
  for (auto& task : tasks_) task->Pause();
}

void TFFEncoder::Resume() {
  for (auto& task : tasks_) task->Resume();
}

void TFFEncoder::Stop(bool wait) {
  if (!working_) return;
  {
    std::lock_guard lock(runMutex_);
    tasksLeft_ = 0;
  }
  for (auto& task : tasks_) task->Stop(wait);
  if (wait) events_.AwaitTerminateDeliveries();
}

TAVProbe& TFFEncoder::InputProbe(int task, int input) { return Task(task).InputProbe(input); }

}  // namespace kx
