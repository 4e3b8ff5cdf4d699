#pragma once
// RAII holders for the FFmpeg handles of a conversion run.
#include <memory>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavcodec/bsf.h>
#include <libavfilter/avfilter.h>
#include <libavutil/audio_fifo.h>
#include <libavutil/frame.h>
#include <libswresample/swresample.h>
#include <libswscale/swscale.h>
}

namespace kx {

struct CodecContextFree {
  void operator()(AVCodecContext* ctx) const { avcodec_free_context(&ctx); }
};
struct FrameFree {
  void operator()(AVFrame* frame) const { av_frame_free(&frame); }
};
struct PacketFree {
  void operator()(AVPacket* packet) const { av_packet_free(&packet); }
};
struct FilterGraphFree {
  void operator()(AVFilterGraph* graph) const { avfilter_graph_free(&graph); }
};
struct ScalerFree {
  void operator()(SwsContext* ctx) const { sws_freeContext(ctx); }
};
struct ResamplerFree {
  void operator()(SwrContext* ctx) const { swr_free(&ctx); }
};
struct AudioFifoFree {
  void operator()(AVAudioFifo* fifo) const { av_audio_fifo_free(fifo); }
};
struct BitstreamFilterFree {
  void operator()(AVBSFContext* ctx) const { av_bsf_free(&ctx); }
};

using CodecContextPtr = std::unique_ptr<AVCodecContext, CodecContextFree>;
using FramePtr = std::unique_ptr<AVFrame, FrameFree>;
using PacketPtr = std::unique_ptr<AVPacket, PacketFree>;
using FilterGraphPtr = std::unique_ptr<AVFilterGraph, FilterGraphFree>;
using ScalerPtr = std::unique_ptr<SwsContext, ScalerFree>;
using ResamplerPtr = std::unique_ptr<SwrContext, ResamplerFree>;
using AudioFifoPtr = std::unique_ptr<AVAudioFifo, AudioFifoFree>;
using BitstreamFilterPtr = std::unique_ptr<AVBSFContext, BitstreamFilterFree>;

inline FramePtr NewFrame() { return FramePtr(av_frame_alloc()); }
inline PacketPtr NewPacket() { return PacketPtr(av_packet_alloc()); }

}  // namespace kx
