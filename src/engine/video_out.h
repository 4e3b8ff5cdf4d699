#pragma once
// Per encoded video stream: the filter graph and the frame-rate sync state.
#include <cstdint>

#include "engine/av_holders.h"
#include "engine/video_filter_graph.h"

namespace kx {

struct TVideoOut {
  TFilterGraphSpec spec;
  TVideoFilterGraph graph;
  int64_t syncPos = 0;  // next output frame, in encoder time-base units
  FramePtr filtered = NewFrame();
};

}  // namespace kx
