#pragma once
// The sound of one playback: the SDL 2 audio device, fed from the audio
// packet queue by SDL's callback thread, which also decodes. The callback
// never waits for packets: with none queued the device gets silence.
// The audio clock made here is the master clock of the playback.
#include <atomic>
#include <limits>
#include <mutex>
#include <vector>

#include <SDL2/SDL.h>

#include "engine/av_holders.h"
#include "player/packet_queue.h"

namespace kx {

// Read at every buffer the device asks for, so changes apply at once.
struct TAudioControls {
  std::atomic<int> volume{SDL_MIX_MAXVOLUME};  // 0 … 128
  std::atomic<bool> mute{false};
};

class TAudioOutput {
 public:
  // Opens the device for the decoder's rate with at most two channels of
  // 16-bit samples; throws FFmpegException "SDL_OpenAudio() failed: …".
  // The decoder and the queue must outlive this object.
  TAudioOutput(AVCodecContext& decoder, AVRational timeBase, TPacketQueue& queue, const TAudioControls& controls);
  // Closes the device; returns when the callback has ended.
  ~TAudioOutput();
  TAudioOutput(const TAudioOutput&) = delete;
  TAudioOutput& operator=(const TAudioOutput&) = delete;

  // Any thread. A paused device plays nothing and its clock stands.
  void SetPaused(bool paused);
  // Any thread: the time of the sample being heard now, in the stream's
  // seconds; NaN until the first samples after opening or a flush.
  double ClockSec() const;

 private:
  static void Callback(void* self, Uint8* stream, int len);
  void Fill(Uint8* stream, int len);
  // Decodes into buffer_; false when no packet is waiting.
  bool DecodeMore();
  bool Convert(AVFrame& frame);

  AVCodecContext& decoder_;
  const AVRational timeBase_;
  TPacketQueue& queue_;
  const TAudioControls& controls_;

  struct SdlAudio {
    SdlAudio();
    ~SdlAudio();
  } sdl_;
  SDL_AudioDeviceID device_ = 0;
  SDL_AudioSpec spec_{};
  int bytesPerSec_ = 0;

  // Callback thread only.
  FramePtr frame_ = NewFrame();
  ResamplerPtr resampler_;
  AVChannelLayout resamplerInLayout_{};
  int resamplerInRate_ = 0;
  int resamplerInFormat_ = -1;
  std::vector<Uint8> buffer_;  // kept; grown when a frame needs more
  int bufferSize_ = 0;
  int bufferPos_ = 0;
  // Stream time just after the buffer's last sample; NaN after a flush.
  double bufferEndSec_ = std::numeric_limits<double>::quiet_NaN();

  mutable std::mutex clockMutex_;
  double clockSec_;            // at clockWallSec_
  double clockWallSec_ = 0;
  bool paused_ = false;
};

}  // namespace kx
