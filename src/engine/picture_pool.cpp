#include "engine/picture_pool.h"

extern "C" {
#include <libavutil/imgutils.h>
}

#include "engine/ffmpeg_exception.h"

namespace kx {

namespace {
constexpr int kLineAlign = 64;    // what the SIMD paths of the scalers and encoders like best
constexpr int kTailPadding = 64;  // some SIMD loops read a little past the last line
}  // namespace

void TPicturePool::Get(AVFrame& frame, int width, int height, AVPixelFormat format) {
  if (!pool_ || width != width_ || height != height_ || format != format_) {
    const int size = CheckAv(av_image_get_buffer_size(format, width, height, kLineAlign), "av_image_get_buffer_size");
    // Pictures still held keep their buffers alive after the old pool is let go.
    pool_.reset(av_buffer_pool_init(size + kTailPadding, nullptr));
    if (!pool_) throw FFmpegException("Out of memory for pictures");
    width_ = width;
    height_ = height;
    format_ = format;
  }
  av_frame_unref(&frame);
  frame.buf[0] = av_buffer_pool_get(pool_.get());
  if (frame.buf[0] == nullptr) throw FFmpegException("Out of memory for pictures");
  CheckAv(av_image_fill_arrays(frame.data, frame.linesize, frame.buf[0]->data, format, width, height, kLineAlign),
          "av_image_fill_arrays");
  frame.width = width;
  frame.height = height;
  frame.format = format;
}

}  // namespace kx
