#include "player/audio_output.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>

extern "C" {
#include <libavutil/channel_layout.h>
}

#include "engine/ffmpeg_exception.h"
#include "engine/ffmpeg_logger.h"
#include "player/wall_clock.h"

namespace kx {

namespace {
constexpr double kNoClock = std::numeric_limits<double>::quiet_NaN();
constexpr int kDeviceSamples = 1024;
}  // namespace

// SDL counts the subsystem's users, so several players may hold it.
TAudioOutput::SdlAudio::SdlAudio() {
  if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0)
    throw FFmpegException(std::string("SDL_OpenAudio() failed: ") + SDL_GetError());
}
TAudioOutput::SdlAudio::~SdlAudio() { SDL_QuitSubSystem(SDL_INIT_AUDIO); }

TAudioOutput::TAudioOutput(AVCodecContext& decoder, AVRational timeBase, TPacketQueue& queue,
                           const TAudioControls& controls)
    : decoder_(decoder), timeBase_(timeBase), queue_(queue), controls_(controls), clockSec_(kNoClock) {
  SDL_AudioSpec wanted{};
  wanted.freq = decoder.sample_rate;
  wanted.format = AUDIO_S16SYS;
  wanted.channels = static_cast<Uint8>(std::clamp(decoder.ch_layout.nb_channels, 1, 2));
  wanted.silence = 0;
  wanted.samples = kDeviceSamples;
  wanted.callback = &TAudioOutput::Callback;
  wanted.userdata = this;
  device_ = SDL_OpenAudioDevice(nullptr, 0, &wanted, &spec_, 0);
  if (device_ == 0) throw FFmpegException(std::string("SDL_OpenAudio() failed: ") + SDL_GetError());
  bytesPerSec_ = spec_.freq * spec_.channels * 2;
  SDL_PauseAudioDevice(device_, 0);
}

TAudioOutput::~TAudioOutput() {
  SDL_CloseAudioDevice(device_);
  av_channel_layout_uninit(&resamplerInLayout_);
}

void TAudioOutput::SetPaused(bool paused) {
  {
    std::lock_guard lock(clockMutex_);
    if (paused == paused_) return;
    const double now = WallClockSec();
    if (paused) clockSec_ += now - clockWallSec_;
    clockWallSec_ = now;
    paused_ = paused;
  }
  SDL_PauseAudioDevice(device_, paused ? 1 : 0);
}

double TAudioOutput::ClockSec() const {
  std::lock_guard lock(clockMutex_);
  return paused_ ? clockSec_ : clockSec_ + (WallClockSec() - clockWallSec_);
}

void TAudioOutput::Callback(void* self, Uint8* stream, int len) { static_cast<TAudioOutput*>(self)->Fill(stream, len); }

void TAudioOutput::Fill(Uint8* stream, int len) {
  const int wanted = len;
  while (len > 0) {
    if (bufferPos_ >= bufferSize_ && !DecodeMore()) {
      std::memset(stream, 0, len);  // no samples yet: silence, playback goes on
      break;
    }
    const int n = std::min(len, bufferSize_ - bufferPos_);
    std::memset(stream, 0, n);
    if (!controls_.mute)
      SDL_MixAudioFormat(stream, buffer_.data() + bufferPos_, AUDIO_S16SYS, n, controls_.volume.load());
    stream += n;
    len -= n;
    bufferPos_ += n;
  }
  // What is heard now lies behind the decoded end by the unplayed rest of the
  // buffer and by the device buffer just handed over.
  std::lock_guard lock(clockMutex_);
  clockSec_ = bufferEndSec_ - static_cast<double>(bufferSize_ - bufferPos_ + wanted) / bytesPerSec_;
  if (std::isnan(bufferEndSec_)) clockSec_ = kNoClock;
  clockWallSec_ = WallClockSec();
}

bool TAudioOutput::DecodeMore() {
  while (true) {
    const int received = avcodec_receive_frame(&decoder_, frame_.get());
    if (received == 0) {
      const bool converted = Convert(*frame_);
      if (frame_->best_effort_timestamp != AV_NOPTS_VALUE)
        bufferEndSec_ = frame_->best_effort_timestamp * av_q2d(timeBase_);
      else if (std::isnan(bufferEndSec_))
        bufferEndSec_ = 0;
      bufferEndSec_ += static_cast<double>(frame_->nb_samples) / frame_->sample_rate;
      av_frame_unref(frame_.get());
      if (converted && bufferSize_ > 0) return true;
      continue;
    }
    if (received != AVERROR(EAGAIN) && received != AVERROR_EOF) {
      FFLogger().Log(TLogLevel::llInfo, "avcodec_decode_audio2() failed");
    }
    TQueuedPacket entry;
    if (queue_.Get(entry, false) != TQueueGet::Got) return false;
    if (entry.kind == TPacketKind::Flush) {
      avcodec_flush_buffers(&decoder_);
      bufferEndSec_ = kNoClock;
      continue;
    }
    if (entry.kind == TPacketKind::Data && avcodec_send_packet(&decoder_, entry.packet.get()) < 0)
      FFLogger().Log(TLogLevel::llInfo, "avcodec_decode_audio2() failed");
  }
}

bool TAudioOutput::Convert(AVFrame& frame) {
  if (!resampler_ || av_channel_layout_compare(&resamplerInLayout_, &frame.ch_layout) != 0 ||
      resamplerInRate_ != frame.sample_rate || resamplerInFormat_ != frame.format) {
    AVChannelLayout outLayout{};
    av_channel_layout_default(&outLayout, spec_.channels);
    SwrContext* raw = nullptr;
    const int made = swr_alloc_set_opts2(&raw, &outLayout, AV_SAMPLE_FMT_S16, spec_.freq, &frame.ch_layout,
                                         static_cast<AVSampleFormat>(frame.format), frame.sample_rate, 0, nullptr);
    resampler_.reset(raw);
    av_channel_layout_uninit(&resamplerInLayout_);
    av_channel_layout_copy(&resamplerInLayout_, &frame.ch_layout);
    resamplerInRate_ = frame.sample_rate;
    resamplerInFormat_ = frame.format;
    if (made < 0 || swr_init(resampler_.get()) < 0) {
      resampler_.reset();
      FFLogger().LogFmt(TLogLevel::llError, "Cannot convert %s sample format to %s sample format",
                        av_get_sample_fmt_name(static_cast<AVSampleFormat>(frame.format)),
                        av_get_sample_fmt_name(AV_SAMPLE_FMT_S16));
      return false;
    }
  }
  const int capacity = swr_get_out_samples(resampler_.get(), frame.nb_samples);
  const std::size_t bytes = static_cast<std::size_t>(capacity) * spec_.channels * 2;
  if (buffer_.size() < bytes) buffer_.resize(bytes);
  uint8_t* out[1] = {buffer_.data()};
  const int samples = swr_convert(resampler_.get(), out, capacity, const_cast<const uint8_t**>(frame.extended_data),
                                  frame.nb_samples);
  if (samples < 0) {
    FFLogger().Log(TLogLevel::llError, "av_audio_convert() failed");
    return false;
  }
  bufferSize_ = samples * spec_.channels * 2;
  bufferPos_ = 0;
  return true;
}

}  // namespace kx
