#pragma once
// The picture path of one encoded video stream: buffer source → deinterlace
// → crop → scale → the user's filter text → the encoder's pixel format →
// sink. Pictures enter with their time in microseconds. Worker thread.
#include <string>

extern "C" {
#include <libavutil/frame.h>
#include <libavutil/pixfmt.h>
#include <libavutil/rational.h>
}

#include "engine/av_holders.h"

namespace kx {

struct TCropBands {
  int top = 0, bottom = 0, left = 0, right = 0;
  bool Any() const { return top != 0 || bottom != 0 || left != 0 || right != 0; }
};

struct TFilterGraphSpec {
  TCropBands crop;           // bands of the source size the graph was first made for
  int sourceWidth = 0;       // that first source size
  int sourceHeight = 0;
  int width = 0;             // size after crop and scale, before the user's text
  int height = 0;
  AVPixelFormat format = AV_PIX_FMT_NONE;  // the encoder's
  int scalerFlags = SWS_BICUBIC;
  bool deinterlace = false;
  std::string text;          // the user's filter graph text, maybe empty
};

class TVideoFilterGraph {
 public:
  // Builds the graph for pictures of the given size and format; raises
  // "Error opening filters: <reason>".
  void Build(const TFilterGraphSpec& spec, int width, int height, AVPixelFormat format, AVRational sampleAspect);
  // The picture's geometry or format is not what the graph was made for.
  bool Differs(const AVFrame& picture) const;
  // Takes a reference to the picture (its pts in microseconds).
  void Push(AVFrame& picture);
  // The end of the pictures: filters that hold pictures back (the deinterlacer
  // looks one ahead) release them to Pull. No picture may follow.
  void PushEnd();
  // Answers the next filtered picture (pts in microseconds), or false.
  bool Pull(AVFrame& picture);
  int OutputWidth() const;
  int OutputHeight() const;

 private:
  FilterGraphPtr graph_;
  AVFilterContext* source_ = nullptr;
  AVFilterContext* sink_ = nullptr;
  int width_ = 0, height_ = 0;
  AVPixelFormat format_ = AV_PIX_FMT_NONE;
};

}  // namespace kx
