#include "frame_marks.h"

#include <algorithm>
#include <cmath>
#include <memory>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

extern "C" {
#include <libavutil/frame.h>
#include <libavutil/pixdesc.h>
#include <libswscale/swscale.h>
}

namespace kx::test {
namespace {

// Less than half a step either way: a mark still reads after small coding
// errors, and a colour half-way between two marks reads as none.
constexpr double kLumaTolerance = kMarkLumaStep / 2.0;
constexpr double kChromaTolerance = (kMarkChromaOffsets[1] - kMarkChromaOffsets[0]) / 2.0;
// Side of the averaged square at the picture centre (scaled down for small pictures).
constexpr int kSampleSide = 8;

struct CentreMean {
  double y = 0, u = 0, v = 0;
};

double PlaneMean(const uint8_t* plane, int stride, int width, int height) {
  int side = std::max(1, std::min({kSampleSide, width, height}));
  int x0 = (width - side) / 2, y0 = (height - side) / 2;
  double sum = 0;
  for (int row = 0; row < side; ++row)
    for (int col = 0; col < side; ++col) sum += plane[(y0 + row) * stride + x0 + col];
  return sum / (side * side);
}

bool IsFullRange(const AVFrame* frame, const AVPixFmtDescriptor* desc) {
  return frame->color_range == AVCOL_RANGE_JPEG || std::string_view(desc->name).starts_with("yuvj");
}

// 8-bit planar YUV is read in place; everything else goes through libswscale.
bool IsPlanarYuv8(const AVPixFmtDescriptor* desc) {
  return desc->nb_components == 3 && (desc->flags & AV_PIX_FMT_FLAG_PLANAR) &&
         !(desc->flags & (AV_PIX_FMT_FLAG_RGB | AV_PIX_FMT_FLAG_HWACCEL | AV_PIX_FMT_FLAG_PAL)) &&
         desc->comp[0].depth == 8 && desc->comp[0].plane == 0 && desc->comp[1].plane == 1 &&
         desc->comp[2].plane == 2;
}

CentreMean ReadPlanar(const AVFrame* frame, const AVPixFmtDescriptor* desc) {
  int cw = AV_CEIL_RSHIFT(frame->width, desc->log2_chroma_w);
  int ch = AV_CEIL_RSHIFT(frame->height, desc->log2_chroma_h);
  CentreMean m{PlaneMean(frame->data[0], frame->linesize[0], frame->width, frame->height),
               PlaneMean(frame->data[1], frame->linesize[1], cw, ch),
               PlaneMean(frame->data[2], frame->linesize[2], cw, ch)};
  if (IsFullRange(frame, desc)) {
    m.y = 16 + m.y * 219.0 / 255.0;
    m.u = 128 + (m.u - 128) * 224.0 / 255.0;
    m.v = 128 + (m.v - 128) * 224.0 / 255.0;
  }
  return m;
}

CentreMean ReadConverted(const AVFrame* frame, const AVPixFmtDescriptor* desc) {
  auto src = static_cast<AVPixelFormat>(frame->format);
  std::unique_ptr<SwsContext, decltype(&sws_freeContext)> sws(
      sws_getContext(frame->width, frame->height, src, frame->width, frame->height, AV_PIX_FMT_YUV444P,
                     SWS_POINT, nullptr, nullptr, nullptr),
      &sws_freeContext);
  if (!sws) throw std::runtime_error(std::string("MarkOfFrame: cannot convert ") + desc->name);
  const int* bt601 = sws_getCoefficients(SWS_CS_ITU601);
  sws_setColorspaceDetails(sws.get(), bt601, IsFullRange(frame, desc) ? 1 : 0, bt601, 0, 0, 1 << 16, 1 << 16);

  size_t planeSize = static_cast<size_t>(frame->width) * frame->height;
  std::vector<uint8_t> buffer(planeSize * 3);
  uint8_t* dst[4] = {buffer.data(), buffer.data() + planeSize, buffer.data() + 2 * planeSize, nullptr};
  int dstStride[4] = {frame->width, frame->width, frame->width, 0};
  sws_scale(sws.get(), frame->data, frame->linesize, 0, frame->height, dst, dstStride);
  return {PlaneMean(dst[0], frame->width, frame->width, frame->height),
          PlaneMean(dst[1], frame->width, frame->width, frame->height),
          PlaneMean(dst[2], frame->width, frame->width, frame->height)};
}

}  // namespace

MarkColour MarkColourOf(int title, int second) {
  int i = ((title - 1) % kMarkTitles + kMarkTitles) % kMarkTitles;
  return {kMarkLumaBase + kMarkLumaStep * (((second % kMarkSeconds) + kMarkSeconds) % kMarkSeconds),
          128 + kMarkChromaOffsets[i % 4], 128 + kMarkChromaOffsets[i / 4]};
}

FrameMark MarkOfColour(double y, double u, double v) {
  FrameMark mark;
  long n = std::lround((y - kMarkLumaBase) / kMarkLumaStep);
  if (n >= 0 && n < kMarkSeconds && std::abs(y - (kMarkLumaBase + kMarkLumaStep * n)) < kLumaTolerance)
    mark.second = static_cast<int>(n);
  for (int i = 0; i < kMarkTitles; ++i) {
    if (std::abs(u - (128 + kMarkChromaOffsets[i % 4])) < kChromaTolerance &&
        std::abs(v - (128 + kMarkChromaOffsets[i / 4])) < kChromaTolerance)
      mark.title = i + 1;
  }
  return mark;
}

FrameMark MarkOfFrame(const AVFrame* frame) {
  if (!frame || frame->width <= 0 || frame->height <= 0) return {};
  const AVPixFmtDescriptor* desc = av_pix_fmt_desc_get(static_cast<AVPixelFormat>(frame->format));
  if (!desc) return {};
  CentreMean m = IsPlanarYuv8(desc) ? ReadPlanar(frame, desc) : ReadConverted(frame, desc);
  return MarkOfColour(m.y, m.u, m.v);
}

void PrintTo(const FrameMark& mark, std::ostream* os) {
  *os << "{title " << mark.title << ", second " << mark.second << "}";
}

}  // namespace kx::test
