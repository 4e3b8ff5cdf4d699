#include "picture_reads.h"

#include <algorithm>
#include <memory>
#include <stdexcept>
#include <vector>

extern "C" {
#include <libavutil/frame.h>
#include <libswscale/swscale.h>
}

namespace kx::test {

RgbMean MeanRgb(const AVFrame& picture, int left, int top, int width, int height) {
  std::unique_ptr<SwsContext, decltype(&sws_freeContext)> sws(
      sws_getContext(picture.width, picture.height, static_cast<AVPixelFormat>(picture.format), picture.width,
                     picture.height, AV_PIX_FMT_BGR24, SWS_BICUBIC, nullptr, nullptr, nullptr),
      &sws_freeContext);
  if (!sws) throw std::runtime_error("MeanRgb: cannot convert the picture");
  const int stride = picture.width * 3;
  std::vector<uint8_t> bgr(static_cast<size_t>(stride) * picture.height);
  uint8_t* dst[4] = {bgr.data()};
  int dstStride[4] = {stride};
  sws_scale(sws.get(), picture.data, picture.linesize, 0, picture.height, dst, dstStride);

  const int x0 = std::clamp(left, 0, picture.width), x1 = std::clamp(left + width, 0, picture.width);
  const int y0 = std::clamp(top, 0, picture.height), y1 = std::clamp(top + height, 0, picture.height);
  RgbMean mean;
  const double count = double(x1 - x0) * (y1 - y0);
  if (count == 0) return mean;
  for (int y = y0; y < y1; ++y)
    for (int x = x0; x < x1; ++x) {
      const uint8_t* p = bgr.data() + static_cast<size_t>(y) * stride + x * 3;
      mean.b += p[0] / count;
      mean.g += p[1] / count;
      mean.r += p[2] / count;
    }
  return mean;
}

}  // namespace kx::test
