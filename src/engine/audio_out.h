#pragma once
// Per encoded audio stream: resampler, sample FIFO, kept frames and the
// sync position in encoder samples.
#include <cstdint>

extern "C" {
#include <libavutil/channel_layout.h>
}

#include "engine/av_holders.h"

namespace kx {

struct TAudioOut {
  TAudioOut() = default;
  TAudioOut(const TAudioOut&) = delete;
  TAudioOut& operator=(const TAudioOut&) = delete;
  ~TAudioOut() { av_channel_layout_uninit(&inLayout); }

  ResamplerPtr resampler;
  // What the resampler was made for; a change remakes it.
  AVChannelLayout inLayout{};
  int inRate = 0;
  AVSampleFormat inFormat = AV_SAMPLE_FMT_NONE;

  AudioFifoPtr fifo;                // samples in the encoder's format
  FramePtr converted = NewFrame();  // resampler output, grown when too small
  FramePtr frame = NewFrame();      // one encoder frame
  int64_t syncPos = 0;              // encoder samples written to the FIFO so far, as a time
  bool atStart = true;
};

}  // namespace kx
