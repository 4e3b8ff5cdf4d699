#pragma once
// Writable pictures of one geometry for the stages that change a decoded
// picture (subtitle burning, the frame hook). The encoder and the filter
// graph may still hold earlier pictures (B-frames, frame threads), so each
// picture needs a buffer of its own; a pool keeps that from costing an
// allocation and a copy per frame. Worker thread; not thread-safe.
extern "C" {
#include <libavutil/buffer.h>
#include <libavutil/frame.h>
#include <libavutil/pixfmt.h>
}

#include <memory>

namespace kx {

class TPicturePool {
 public:
  // Makes `frame` a picture of the given geometry in a buffer nobody else
  // holds; its pixels are undefined. Raises FFmpegException when memory runs out.
  void Get(AVFrame& frame, int width, int height, AVPixelFormat format);

 private:
  struct PoolFree {
    void operator()(AVBufferPool* pool) const { av_buffer_pool_uninit(&pool); }
  };
  std::unique_ptr<AVBufferPool, PoolFree> pool_;
  int width_ = 0;
  int height_ = 0;
  AVPixelFormat format_ = AV_PIX_FMT_NONE;
};

}  // namespace kx
