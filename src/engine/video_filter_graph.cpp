#include "engine/video_filter_graph.h"

#include <memory>

extern "C" {
#include <libavfilter/buffersink.h>
#include <libavfilter/buffersrc.h>
#include <libavutil/pixdesc.h>
}

#include "engine/ffmpeg_exception.h"

namespace kx {
namespace {

struct InOutFree {
  void operator()(AVFilterInOut* io) const { avfilter_inout_free(&io); }
};
using InOutPtr = std::unique_ptr<AVFilterInOut, InOutFree>;

[[noreturn]] void Fail(const std::string& reason) { throw FFmpegException("Error opening filters: " + reason); }

void Check(int result, const char* what) {
  if (result < 0) Fail(AvErrorText(what, result));
}

// Bands of the first source scaled to a new source size, each rounded down to even.
int ScaledBand(int band, int newSize, int oldSize) {
  if (oldSize <= 0) return band;
  return static_cast<int>(static_cast<int64_t>(band) * newSize / oldSize) & ~1;
}

std::string ChainText(const TFilterGraphSpec& spec, int width, int height) {
  const TCropBands bands{ScaledBand(spec.crop.top, height, spec.sourceHeight),
                         ScaledBand(spec.crop.bottom, height, spec.sourceHeight),
                         ScaledBand(spec.crop.left, width, spec.sourceWidth),
                         ScaledBand(spec.crop.right, width, spec.sourceWidth)};
  std::string chain = spec.deinterlace ? "yadif," : "";
  const int croppedWidth = width - bands.left - bands.right;
  const int croppedHeight = height - bands.top - bands.bottom;
  if (croppedWidth <= 0 || croppedHeight <= 0) Fail("the crop bands leave no picture");
  if (bands.Any())
    chain += "crop=" + std::to_string(croppedWidth) + ":" + std::to_string(croppedHeight) + ":" +
             std::to_string(bands.left) + ":" + std::to_string(bands.top) + ",";
  if (croppedWidth != spec.width || croppedHeight != spec.height)
    chain += "scale=" + std::to_string(spec.width) + ":" + std::to_string(spec.height) + ",";
  if (!spec.text.empty()) chain += spec.text + ",";
  return chain + "format=" + av_get_pix_fmt_name(spec.format);
}

}  // namespace

void TVideoFilterGraph::Build(const TFilterGraphSpec& spec, int width, int height, AVPixelFormat format,
                              AVRational sampleAspect) {
  graph_.reset(avfilter_graph_alloc());
  if (!graph_) Fail("Cannot allocate the filter graph");
  // One thread per graph: the encoders and decoders already use every core.
  graph_->nb_threads = 1;
  graph_->scale_sws_opts = av_strdup(("flags=" + std::to_string(spec.scalerFlags)).c_str());
  if (sampleAspect.num <= 0 || sampleAspect.den <= 0) sampleAspect = AVRational{1, 1};
  const std::string sourceArgs = "video_size=" + std::to_string(width) + "x" + std::to_string(height) +
                                 ":pix_fmt=" + std::to_string(format) + ":time_base=1/1000000:pixel_aspect=" +
                                 std::to_string(sampleAspect.num) + "/" + std::to_string(sampleAspect.den);
  Check(avfilter_graph_create_filter(&source_, avfilter_get_by_name("buffer"), "src", sourceArgs.c_str(), nullptr,
                                     graph_.get()),
        "buffer");
  Check(avfilter_graph_create_filter(&sink_, avfilter_get_by_name("buffersink"), "out", nullptr, nullptr,
                                     graph_.get()),
        "buffersink");

  InOutPtr outputs(avfilter_inout_alloc());
  InOutPtr inputs(avfilter_inout_alloc());
  if (!outputs || !inputs) Fail("Cannot allocate the filter links");
  outputs->name = av_strdup("in");
  outputs->filter_ctx = source_;
  inputs->name = av_strdup("out");
  inputs->filter_ctx = sink_;
  AVFilterInOut* rawInputs = inputs.release();
  AVFilterInOut* rawOutputs = outputs.release();
  const std::string chain = ChainText(spec, width, height);
  const int parsed = avfilter_graph_parse_ptr(graph_.get(), chain.c_str(), &rawInputs, &rawOutputs, nullptr);
  inputs.reset(rawInputs);
  outputs.reset(rawOutputs);
  Check(parsed, chain.c_str());
  Check(avfilter_graph_config(graph_.get(), nullptr), "avfilter_graph_config");
  width_ = width;
  height_ = height;
  format_ = format;
}

bool TVideoFilterGraph::Differs(const AVFrame& picture) const {
  return picture.width != width_ || picture.height != height_ || picture.format != format_;
}

void TVideoFilterGraph::Push(AVFrame& picture) {
  CheckAv(av_buffersrc_add_frame_flags(source_, &picture, AV_BUFFERSRC_FLAG_KEEP_REF), "Error while filtering");
}

void TVideoFilterGraph::PushEnd() {
  CheckAv(av_buffersrc_add_frame_flags(source_, nullptr, 0), "Error while filtering");
}

bool TVideoFilterGraph::Pull(AVFrame& picture) {
  const int result = av_buffersink_get_frame(sink_, &picture);
  if (result == AVERROR(EAGAIN) || result == AVERROR_EOF) return false;
  CheckAv(result, "Error while filtering");
  // Filters may change the time base (the deinterlacer halves it).
  if (picture.pts != AV_NOPTS_VALUE)
    picture.pts = av_rescale_q(picture.pts, av_buffersink_get_time_base(sink_), AVRational{1, 1000000});
  return true;
}

int TVideoFilterGraph::OutputWidth() const { return av_buffersink_get_w(sink_); }
int TVideoFilterGraph::OutputHeight() const { return av_buffersink_get_h(sink_); }

}  // namespace kx
