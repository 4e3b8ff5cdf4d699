#include "player/playback_context.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <limits>
#include <utility>

#include "engine/codec_lock.h"
#include "engine/ffmpeg_exception.h"
#include "engine/ffmpeg_logger.h"
#include "engine/input_opener.h"
#include "engine/main_thread_queue.h"
#include "player/wall_clock.h"

namespace kx {

namespace {

constexpr double kNoTime = std::numeric_limits<double>::quiet_NaN();
// Reading stops while the queues hold this much, or while every open stream
// has enough queued (audio by bytes, video by packets).
constexpr std::int64_t kMaxQueuedBytes = 15 * 1024 * 1024;
constexpr std::int64_t kEnoughAudioBytes = 320 * 1024;
constexpr int kEnoughVideoPackets = 5;
// Clock differences beyond this are not corrected (a jump, not a drift).
constexpr double kNoSyncBeyondSec = 10.0;

int Interrupted(void* context) { return static_cast<const std::atomic<bool>*>(context)->load() ? 1 : 0; }

void Sleep(int ms) { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); }

}  // namespace

void TPlaybackContext::InputClose::operator()(AVFormatContext* ctx) const { CloseMediaInput(&ctx); }

void TPlaybackContext::DecoderClose::operator()(AVCodecContext* ctx) const {
  auto lock = LockDraining(CodecLock());
  avcodec_free_context(&ctx);
}

TPlaybackContext::TPlaybackContext(const std::string& fileName, TPlaybackSetup setup)
    : setup_(std::move(setup)), fileName_(fileName) {
  AVFormatContext* raw = avformat_alloc_context();
  if (!raw) throw FFmpegException("av_mallocz() failed.");
  raw->interrupt_callback = {&Interrupted, &abort_};
  const int opened = OpenMediaInput(&raw, fileName, nullptr);
  if (opened < 0) throw FFmpegException(AvErrorText(fileName, opened));
  input_.reset(raw);
  {
    auto lock = LockDraining(CodecLock());
    if (avformat_find_stream_info(raw, nullptr) < 0)
      throw FFmpegException(fileName + ": could not find codec parameters");
  }
  if (raw->pb) raw->pb->eof_reached = 0;
  startUs_ = raw->start_time != AV_NOPTS_VALUE ? raw->start_time : 0;
  durationUs_ = raw->duration != AV_NOPTS_VALUE ? raw->duration : -1;
  for (unsigned i = 0; i < raw->nb_streams; ++i) raw->streams[i]->discard = AVDISCARD_ALL;

  if (!setup_.disableAudio) {
    audioIndex_ = av_find_best_stream(raw, AVMEDIA_TYPE_AUDIO, -1, -1, nullptr, 0);
    if (audioIndex_ >= 0) audioCodec_ = OpenDecoder(audioIndex_);
  }
  if (!setup_.disableVideo) {
    videoIndex_ = av_find_best_stream(raw, AVMEDIA_TYPE_VIDEO, -1, -1, nullptr, 0);
    if (videoIndex_ >= 0) videoCodec_ = OpenDecoder(videoIndex_);
  }
  if (audioCodec_) {
    try {
      audio_ = std::make_unique<TAudioOutput>(*audioCodec_, raw->streams[audioIndex_]->time_base, audioPackets_,
                                              *setup_.audio);
    } catch (const FFmpegException& e) {
      // Without a sound device the pictures still play.
      FFLogger().Log(TLogLevel::llError, e.what());
      audioCodec_.reset();
    }
  }
  if (!audioCodec_ && !videoCodec_) throw FFmpegException(fileName + ": could not open codecs, no stream to play.");
  if (!audioCodec_) audioIndex_ = -1;
  if (!videoCodec_) videoIndex_ = -1;

  // Every decoder starts with a flush, so serial 0 is the first generation.
  audioPackets_.Put({TPacketKind::Flush, nullptr, 0});
  videoPackets_.Put({TPacketKind::Flush, nullptr, 0});
  if (setup_.startPaused) {
    paused_ = true;
    showOnce_ = true;
    pauseReportPending_ = true;
    if (audio_) audio_->SetPaused(true);
  }
}

TPlaybackContext::~TPlaybackContext() {
  RequestStop();
  if (displayThread_.joinable()) displayThread_.join();
  videoDecoder_.reset();
  audio_.reset();
  if (readThread_.joinable()) readThread_.join();
}

TPlaybackContext::DecoderPtr TPlaybackContext::OpenDecoder(int streamIndex) {
  AVStream* stream = input_->streams[streamIndex];
  const AVCodec* codec = avcodec_find_decoder(stream->codecpar->codec_id);
  DecoderPtr decoder(codec ? avcodec_alloc_context3(codec) : nullptr);
  if (!decoder || avcodec_parameters_to_context(decoder.get(), stream->codecpar) < 0) {
    FFLogger().Log(TLogLevel::llError, "avcodec_open() failed.");
    return nullptr;
  }
  decoder->pkt_timebase = stream->time_base;
  decoder->workaround_bugs = 1;
  decoder->err_recognition = AV_EF_CAREFUL;
  decoder->error_concealment = 3;
  decoder->thread_count = 1;
  {
    auto lock = LockDraining(CodecLock());
    if (avcodec_open2(decoder.get(), codec, nullptr) < 0) {
      FFLogger().Log(TLogLevel::llError, "avcodec_open() failed.");
      return nullptr;
    }
  }
  stream->discard = AVDISCARD_DEFAULT;
  return decoder;
}

void TPlaybackContext::Start() {
  readThread_ = std::thread([this] { ReadLoop(); });
  if (videoCodec_) {
    AVStream& stream = *input_->streams[videoIndex_];
    TVideoDecoder::Hook hook;
    if (setup_.hook)
      hook = [this](TBitmap& picture, double ptsSec) { setup_.hook(picture, ToUs(ptsSec)); };
    videoDecoder_ = std::make_unique<TVideoDecoder>(*videoCodec_, stream, videoPackets_, pictures_, std::move(hook),
                                                    [this](int serial) { decodedSerial_ = serial; });
  }
  displayThread_ = std::thread([this] { DisplayLoop(); });
}

void TPlaybackContext::RequestStop() {
  abort_ = true;
  audioPackets_.Abort();
  videoPackets_.Abort();
  pictures_.Abort();
  wake_.notify_all();
}

void TPlaybackContext::SetPaused(bool paused) {
  if (paused_.exchange(paused) == paused) return;
  if (audio_) audio_->SetPaused(paused);
  wake_.notify_all();
}

void TPlaybackContext::StepOnce() {
  stepping_ = true;
  SetPaused(false);
}

bool TPlaybackContext::RequestSeek(std::int64_t target, int flags) {
  std::lock_guard lock(seekMutex_);
  if (seekPending_) return false;
  seekPending_ = true;
  seekTarget_ = target;
  seekFlags_ = flags;
  seekDone_ = false;
  if (paused_) showOnce_ = true;
  return true;
}

bool TPlaybackContext::SeekSettled() const {
  if (!seekDone_) return false;
  if (!videoCodec_ || decodedSerial_ == serial_) return true;
  // Nothing left to decode at the new place.
  return inputEnded_ && videoPackets_.Count() == 0 && videoDecoder_->Drained();
}

int TPlaybackContext::FrameWidth() const { return videoCodec_ ? videoCodec_->width : -1; }
int TPlaybackContext::FrameHeight() const { return videoCodec_ ? videoCodec_->height : -1; }

std::int64_t TPlaybackContext::CurrentFrame(TBitmap& picture) const {
  if (!videoCodec_) {
    picture.Resize(0, 0);
    return -1;
  }
  std::lock_guard lock(shownMutex_);
  if (shown_.Width == 0) {
    picture.Resize(videoCodec_->width, videoCodec_->height);
    std::fill(picture.Pixels.begin(), picture.Pixels.end(), 0);
    return 0;
  }
  picture = shown_;
  return ToUs(shownPtsSec_);
}

std::int64_t TPlaybackContext::ToUs(double sec) const { return std::llround(sec * 1e6) - startUs_; }

// Read thread.
void TPlaybackContext::ReadLoop() {
  AVFormatContext* input = input_.get();
  bool demuxerPaused = false;
  bool endQueued = false;
  while (!abort_) {
    if (paused_ != demuxerPaused) {
      demuxerPaused = paused_;
      demuxerPaused ? av_read_pause(input) : av_read_play(input);
    }
    if (!seekDone_) {
      PerformSeek();
      endQueued = false;
    }
    if (QueuesFull()) {
      Sleep(10);
      continue;
    }
    if (inputEnded_) {
      // The video decoder still holds its delayed pictures: the End marker lets them out.
      if (videoCodec_ && !endQueued) videoPackets_.Put({TPacketKind::End, nullptr, serial_});
      endQueued = true;
      Sleep(10);
      continue;
    }
    PacketPtr packet = NewPacket();
    const int read = av_read_frame(input, packet.get());
    if (abort_) break;
    if (read == AVERROR(EAGAIN)) {
      Sleep(10);
      continue;
    }
    if (read < 0) {
      // A read error ends the input like its end does: what was read still plays.
      if (read == AVERROR_EOF)
        FFLogger().LogFmt(TLogLevel::llInfo, "reach end of file: %s", fileName_.c_str());
      else
        FFLogger().LogFmt(TLogLevel::llError, "error #%d while reading file: %s", read, fileName_.c_str());
      inputEnded_ = true;
      continue;
    }
    if (packet->stream_index == audioIndex_)
      audioPackets_.Put({TPacketKind::Data, std::move(packet), serial_});
    else if (packet->stream_index == videoIndex_)
      videoPackets_.Put({TPacketKind::Data, std::move(packet), serial_});
  }
}

// Read thread.
void TPlaybackContext::PerformSeek() {
  std::int64_t target;
  int flags;
  {
    std::lock_guard lock(seekMutex_);
    target = seekTarget_;
    flags = seekFlags_;
  }
  AVFormatContext* input = input_.get();
  int sought = avformat_seek_file(input, -1, std::numeric_limits<std::int64_t>::min(), target,
                                  std::numeric_limits<std::int64_t>::max(), flags);
  if (sought < 0) sought = av_seek_frame(input, -1, target, flags);
  if (sought < 0) sought = av_seek_frame(input, -1, target, flags ^ AVSEEK_FLAG_BACKWARD);
  if (sought < 0) {
    FFLogger().LogFmt(TLogLevel::llError, "%s: error while seeking", fileName_.c_str());
  } else {
    const int serial = serial_ + 1;
    for (TPacketQueue* queue : {&audioPackets_, &videoPackets_}) {
      queue->Clear();
      queue->Put({TPacketKind::Flush, nullptr, serial});
    }
    serial_ = serial;
  }
  inputEnded_ = false;
  endReported_ = false;
  {
    std::lock_guard lock(seekMutex_);
    seekPending_ = false;
  }
  seekDone_ = true;
  wake_.notify_all();
}

bool TPlaybackContext::QueuesFull() const {
  if (audioPackets_.Bytes() + videoPackets_.Bytes() > kMaxQueuedBytes) return true;
  const bool audioWants = audioCodec_ && audioPackets_.Bytes() <= kEnoughAudioBytes;
  const bool videoWants = videoCodec_ && videoPackets_.Count() <= kEnoughVideoPackets;
  return !audioWants && !videoWants;
}

// Display thread.
void TPlaybackContext::DisplayLoop() {
  if (setup_.state) setup_.state(TPlayState::psPlay);
  while (!abort_) {
    const double sleepSec = Refresh();
    std::unique_lock lock(wakeMutex_);
    wake_.wait_for(lock, std::chrono::duration<double>(sleepSec), [this] { return abort_.load(); });
  }
  if (setup_.surface) setup_.surface->ClearPicture();
  ended_ = true;
  if (setup_.state) setup_.state(TPlayState::psStop);
}

double TPlaybackContext::Refresh() {
  constexpr double kIdleSec = 0.005;
  const double now = WallClockSec();
  if (paused_) {
    if (pauseStartedSec_ < 0) pauseStartedSec_ = now;
  } else if (pauseStartedSec_ >= 0) {
    // Resuming: the schedule moves on by the time spent paused.
    frameTimerSec_ += now - pauseStartedSec_;
    driftSec_ = shownPtsSec_ - now;
    pauseStartedSec_ = -1;
  }
  // Pictures decoded before a seek are never shown.
  while (TPictureSlot* head = pictures_.Peek(0)) {
    if (head->serial == serial_) break;
    pictures_.Pop();
  }
  TPictureSlot* head = pictures_.Peek(0);
  if (paused_) {
    // A seek asked for while paused shows its first picture once it is performed.
    if (showOnce_ && seekDone_ && head) {
      showOnce_ = false;
      shownSerial_ = head->serial;
      Show(*head, now);
      pictures_.Pop();
      ReportPosition();
      if (std::exchange(pauseReportPending_, false) && setup_.state) setup_.state(TPlayState::psPause);
    }
    return 0.01;
  }
  if (!head) {
    if (!videoCodec_) ReportPosition();
    if (!endReported_ && AtEnd()) {
      endReported_ = true;
      ReportPosition();
      if (setup_.state) setup_.state(TPlayState::psEnd);
    }
    return kIdleSec;
  }
  if (head->serial != shownSerial_) {
    // First picture after opening or a seek: shown at once.
    shownSerial_ = head->serial;
    lastPtsSec_ = kNoTime;
    lastDelaySec_ = 0;
    frameTimerSec_ = now;
  }
  const double target = TargetOf(*head, now);
  if (now < target) return std::min(target - now, 0.02);
  TPictureSlot* next = pictures_.Peek(1);
  if (next && !stepping_ && now > TargetOf(*next, now)) {
    pictures_.Pop();  // late: its successor is already due
    return 0;
  }
  Show(*head, now);
  pictures_.Pop();
  ReportPosition();
  if (stepping_.exchange(false)) SetPaused(true);
  return 0;
}

// The time a picture is due: one frame delay after the previous one,
// doubled while the video leads the audio clock, nothing while it lags.
double TPlaybackContext::TargetOf(TPictureSlot& slot, double now) {
  if (slot.targetSec >= 0) return slot.targetSec;
  double delay = slot.ptsSec - lastPtsSec_;
  if (std::isnan(delay) || delay <= 0 || delay >= kNoSyncBeyondSec)
    delay = lastDelaySec_;
  else
    lastDelaySec_ = delay;
  lastPtsSec_ = slot.ptsSec;
  const double audioClock = audio_ ? audio_->ClockSec() : kNoTime;
  if (!std::isnan(audioClock) && shownPtsSec_ >= 0) {
    const double diff = now + driftSec_ - audioClock;
    const double threshold = std::max(delay, 0.01);
    if (std::fabs(diff) < kNoSyncBeyondSec) {
      if (diff <= -threshold)
        delay = 0;
      else if (diff >= threshold)
        delay *= 2;
    }
  }
  frameTimerSec_ += delay;
  slot.targetSec = frameTimerSec_;
  return slot.targetSec;
}

void TPlaybackContext::Show(const TPictureSlot& slot, double now) {
  {
    std::lock_guard lock(shownMutex_);
    shown_ = slot.picture;
    shownPtsSec_ = slot.ptsSec;
  }
  driftSec_ = slot.ptsSec - now;
  endReported_ = false;
  if (!setup_.surface) return;
  const float forced = setup_.aspectRatio ? setup_.aspectRatio->load() : 0.0f;
  setup_.surface->ShowPicture(slot.picture, forced != 0 ? forced : slot.aspect);
}

void TPlaybackContext::ReportPosition() {
  double clockSec;
  if (videoCodec_) {
    if (shownPtsSec_ < 0) return;
    clockSec = paused_ ? shownPtsSec_ : WallClockSec() + driftSec_;
  } else {
    clockSec = audio_->ClockSec();
    if (std::isnan(clockSec)) return;
  }
  std::int64_t positionUs = std::max<std::int64_t>(ToUs(clockSec), 0);
  if (durationUs_ > 0) positionUs = std::min(positionUs, durationUs_);
  if (setup_.position) setup_.position(positionUs);
}

bool TPlaybackContext::AtEnd() {
  if (!inputEnded_ || audioPackets_.Count() > 0 || videoPackets_.Count() > 0) return false;
  return !videoCodec_ || (videoDecoder_->Drained() && !pictures_.Peek(0));
}

}  // namespace kx
