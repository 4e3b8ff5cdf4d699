#include "player/ff_player.h"

#include <algorithm>
#include <future>
#include <utility>

#include "engine/ffmpeg_exception.h"
#include "engine/ffmpeg_loader.h"
#include "engine/ffmpeg_logger.h"
#include "engine/main_thread_queue.h"
#include "player/playback_context.h"

namespace kx {

namespace {
// Positions closer than this to the last reported one are not reported.
constexpr std::int64_t kPositionStepUs = 10000;
}  // namespace

TFFPlayer::TFFPlayer() = default;

TFFPlayer::~TFFPlayer() { Stop(true); }

bool TFFPlayer::LoadAVLib(const std::string& folder) {
  FFLoader().SetLibPath(folder);
  if (FFLoader().LoadLibs(kPlayerLibs)) return true;
  lastErrMsg_ = FFLoader().LastError();
  return false;
}

bool TFFPlayer::AVLibLoaded() const { return FFLoader().LibsLoaded(kPlayerLibs); }

bool TFFPlayer::Open(const std::string& FileName, TVideoSurface* surface, bool StartPaused) {
  if (!AVLibLoaded()) {
    lastErrMsg_ = "libav or libsdl not loaded.";
    FFLogger().Log(TLogLevel::llError, lastErrMsg_);
    return false;
  }
  Stop(true);
  if (DisableDisplay) DisableVideo = true;

  TPlaybackSetup setup;
  setup.disableAudio = DisableAudio;
  setup.disableVideo = DisableVideo;
  setup.startPaused = StartPaused;
  setup.surface = DisableDisplay ? nullptr : surface;
  setup.audio = &audio_;
  setup.aspectRatio = &aspectRatio_;
  setup.position = [this](std::int64_t positionUs) { ReportPosition(positionUs); };
  setup.state = [this](TPlayState state) { ReportState(state); };
  setup.hook = [this](TBitmap& picture, std::int64_t ptsUs) { RunHook(picture, ptsUs); };
  try {
    context_ = std::make_unique<TPlaybackContext>(FileName, std::move(setup));
  } catch (const FFmpegException& e) {
    lastErrMsg_ = e.what();
    FFLogger().Log(TLogLevel::llError, lastErrMsg_);
    return false;
  }
  durationUs_ = context_->DurationUs();
  reportedAny_ = false;
  stepping_ = false;
  probe_.Attach(context_->Input());
  if (OnFileOpen) {
    int width = ScreenWidth, height = ScreenHeight;
    Deliver("OnFileOpen", [&] {
      OnFileOpen(this, durationUs_, context_->FrameWidth(), context_->FrameHeight(), width, height);
    });
    ScreenWidth = width;
    ScreenHeight = height;
  }
  eventsDone_ = false;
  eventThread_ = std::thread([this] { EventLoop(); });
  context_->Start();
  return true;
}

void TFFPlayer::Stop(bool WaitForEnd) {
  if (!context_) return;
  if (context_->Paused()) context_->SetPaused(false);
  stepping_ = false;
  context_->RequestStop();
  if (WaitForEnd) Teardown();
}

void TFFPlayer::Teardown() {
  MainThreadQueue& mainThread = MainThreadQueue::Instance();
  // The event thread ends with psStop; its handlers may need the main thread.
  mainThread.WaitDraining([this] { return eventsDone_.load(); });
  if (eventThread_.joinable()) eventThread_.join();
  probe_.Attach(nullptr);
  // A hook handler may be waiting for the main thread too, so the threads
  // are joined elsewhere while this thread keeps draining.
  std::future<void> freed = std::async(std::launch::async, [context = std::move(context_)]() mutable {
    context.reset();
  });
  mainThread.WaitDraining(freed);
}

void TFFPlayer::Pause() {
  if (!context_ || context_->Ended() || context_->Paused()) return;
  context_->SetPaused(true);
  stepping_ = false;
  ReportState(TPlayState::psPause);
}

void TFFPlayer::Resume() {
  if (!context_ || context_->Ended() || !context_->Paused()) return;
  context_->SetPaused(false);
  stepping_ = false;
  ReportState(TPlayState::psResume);
}

void TFFPlayer::Step() {
  if (!context_ || context_->Ended()) return;
  if (!std::exchange(stepping_, true)) ReportState(TPlayState::psStep);
  context_->StepOnce();
}

void TFFPlayer::Seek(std::int64_t Position, int SeekFlags, bool WaitForSeekEnd) {
  if (!context_ || context_->Ended()) return;
  std::int64_t target = Position;
  if (!(SeekFlags & sfByte)) {
    target = std::max<std::int64_t>(target, 0);
    if (durationUs_ > 0) target = std::min(target, durationUs_);
    target += context_->StartUs();
  }
  if (!context_->RequestSeek(target, SeekFlags)) return;
  if (WaitForSeekEnd)
    MainThreadQueue::Instance().WaitDraining([this] { return context_->SeekSettled() || context_->Ended(); });
}

bool TFFPlayer::Paused() const { return !context_ || context_->Ended() || context_->Paused(); }

std::int64_t TFFPlayer::CurrentFrame(TBitmap& picture) {
  if (context_) return context_->CurrentFrame(picture);
  picture.Resize(0, 0);
  return -1;
}

void TFFPlayer::SetAudioVolume(int volume) { audio_.volume = std::clamp(volume, 0, SDL_MIX_MAXVOLUME); }

void TFFPlayer::ReportPosition(std::int64_t positionUs) {
  // The end is always reported, even when it is close to the last position.
  const bool atEnd = durationUs_ > 0 && positionUs == durationUs_ && lastReportedUs_ != durationUs_;
  if (reportedAny_ && !atEnd && std::llabs(positionUs - lastReportedUs_) <= kPositionStepUs) return;
  reportedAny_ = true;
  lastReportedUs_ = positionUs;
  if (OnPosition) events_.Post({TPlayerEventKind::Position, positionUs, TPlayState::psPlay});
}

void TFFPlayer::ReportState(TPlayState state) {
  if (OnState)
    events_.Post({TPlayerEventKind::State, 0, state});
  else if (state == TPlayState::psStop)
    events_.Post({TPlayerEventKind::Quit, 0, state});
}

void TFFPlayer::RunHook(TBitmap& picture, std::int64_t ptsUs) {
  if (!hook_ || !OnHook) return;
  try {
    OnHook(this, picture, ptsUs);
  } catch (const std::exception& e) {
    FFLogger().Log(TLogLevel::llError, std::string("Error occurs OnHook: ") + e.what());
  }
}

void TFFPlayer::EventLoop() {
  while (true) {
    const TPlayerEvent event = events_.Take();
    if (event.kind == TPlayerEventKind::Quit) break;
    if (event.kind == TPlayerEventKind::Position) {
      Deliver("OnPosition", [&] { OnPosition(this, event.position); });
      continue;
    }
    Deliver("OnState", [&] { OnState(this, event.state); });
    if (event.state == TPlayState::psStop) break;
  }
  eventsDone_ = true;
}

void TFFPlayer::Deliver(const char* eventName, const std::function<void()>& call) {
  try {
    if (TriggerEventInMainThread)
      MainThreadQueue::Instance().Call(call);
    else
      call();
  } catch (const std::exception& e) {
    FFLogger().Log(TLogLevel::llError, std::string("Error occurs ") + eventName + ": " + e.what());
  }
}

}  // namespace kx
