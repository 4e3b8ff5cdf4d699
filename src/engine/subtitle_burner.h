#pragma once
// Draws decoded bitmap subtitles (DVD subpictures) into the pictures of an
// output whose container cannot carry them. Cues are kept from their
// decoding until their display end; a cue without an end lasts until the
// next one. Worker thread.
#include <cstdint>
#include <deque>
#include <memory>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavutil/frame.h>
}

namespace kx {

class TSubtitleBurner {
 public:
  // `canvasWidth` × `canvasHeight`: the picture size the rectangles are placed in (0: the picture's).
  TSubtitleBurner(int canvasWidth, int canvasHeight);
  ~TSubtitleBurner();

  // Takes the decoded subtitle over; `ptsUs` is its time on the input time line.
  void Take(AVSubtitle& subtitle, int64_t ptsUs);
  // True when a cue with something to draw is on screen at `ptsUs`; drops cues that ended.
  bool Shows(int64_t ptsUs);
  // Blends the cue on screen at `ptsUs` into a writable picture (planar 8-bit YUV).
  void BurnInto(AVFrame& picture, int64_t ptsUs) const;

 private:
  struct Cue {
    AVSubtitle subtitle{};
    int64_t startUs = 0;
    int64_t endUs = INT64_MAX;
  };
  struct CueFree {
    void operator()(Cue* cue) const;
  };
  using CuePtr = std::unique_ptr<Cue, CueFree>;

  const Cue* Current(int64_t ptsUs) const;

  int canvasWidth_;
  int canvasHeight_;
  std::deque<CuePtr> cues_;
  mutable bool loggedFormat_ = false;
};

}  // namespace kx
