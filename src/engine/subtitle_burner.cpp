#include "engine/subtitle_burner.h"

#include <algorithm>
#include <array>

extern "C" {
#include <libavutil/pixdesc.h>
}

namespace kx {
namespace {

struct YuvA {
  int y, u, v, a;
};

// Palette entries (0xAARRGGBB) as limited-range BT.601 colours.
YuvA ToYuv(uint32_t argb) {
  const int a = static_cast<int>(argb >> 24), r = (argb >> 16) & 0xFF, g = (argb >> 8) & 0xFF, b = argb & 0xFF;
  return YuvA{16 + ((66 * r + 129 * g + 25 * b + 128) >> 8), 128 + ((-38 * r - 74 * g + 112 * b + 128) >> 8),
              128 + ((112 * r - 94 * g - 18 * b + 128) >> 8), a};
}

inline void Blend(uint8_t& pixel, int value, int alpha) { pixel = static_cast<uint8_t>((pixel * (255 - alpha) + value * alpha + 127) / 255); }

}  // namespace

void TSubtitleBurner::CueFree::operator()(Cue* cue) const {
  avsubtitle_free(&cue->subtitle);
  delete cue;
}

TSubtitleBurner::TSubtitleBurner(int canvasWidth, int canvasHeight)
    : canvasWidth_(canvasWidth), canvasHeight_(canvasHeight) {}

TSubtitleBurner::~TSubtitleBurner() = default;

void TSubtitleBurner::Take(AVSubtitle& subtitle, int64_t ptsUs) {
  CuePtr cue(new Cue);
  cue->subtitle = subtitle;
  subtitle = AVSubtitle{};  // the cue owns the rectangles now
  cue->startUs = ptsUs + int64_t{cue->subtitle.start_display_time} * 1000;
  const uint32_t end = cue->subtitle.end_display_time;
  if (end != 0 && end != UINT32_MAX) cue->endUs = ptsUs + int64_t{end} * 1000;
  // A new cue ends the one before it.
  if (!cues_.empty() && cues_.back()->endUs > cue->startUs) cues_.back()->endUs = cue->startUs;
  cues_.push_back(std::move(cue));
}

const TSubtitleBurner::Cue* TSubtitleBurner::Current(int64_t ptsUs) const {
  for (const CuePtr& cue : cues_)
    if (cue->startUs <= ptsUs && ptsUs < cue->endUs) return cue.get();
  return nullptr;
}

bool TSubtitleBurner::Shows(int64_t ptsUs) {
  while (!cues_.empty() && cues_.front()->endUs <= ptsUs) cues_.pop_front();
  const Cue* cue = Current(ptsUs);
  return cue != nullptr && cue->subtitle.num_rects > 0;
}

void TSubtitleBurner::BurnInto(AVFrame& picture, int64_t ptsUs) const {
  const Cue* cue = Current(ptsUs);
  if (cue == nullptr) return;
  const AVPixFmtDescriptor* desc = av_pix_fmt_desc_get(static_cast<AVPixelFormat>(picture.format));
  if (desc == nullptr || (desc->flags & (AV_PIX_FMT_FLAG_RGB | AV_PIX_FMT_FLAG_PAL)) || !(desc->flags & AV_PIX_FMT_FLAG_PLANAR) ||
      desc->nb_components < 3 || desc->comp[0].depth != 8) {
    if (!loggedFormat_) av_log(nullptr, AV_LOG_WARNING, "Subtitles cannot be drawn on %s pictures\n", desc ? desc->name : "?");
    loggedFormat_ = true;
    return;
  }
  const int canvasWidth = canvasWidth_ > 0 ? canvasWidth_ : picture.width;
  const int canvasHeight = canvasHeight_ > 0 ? canvasHeight_ : picture.height;
  const int cw = desc->log2_chroma_w, ch = desc->log2_chroma_h;
  for (unsigned r = 0; r < cue->subtitle.num_rects; ++r) {
    const AVSubtitleRect& rect = *cue->subtitle.rects[r];
    if (rect.type != SUBTITLE_BITMAP || rect.w <= 0 || rect.h <= 0 || rect.data[0] == nullptr || rect.data[1] == nullptr)
      continue;
    std::array<YuvA, 256> palette{};
    const auto* argb = reinterpret_cast<const uint32_t*>(rect.data[1]);
    for (int i = 0; i < std::min(rect.nb_colors, 256); ++i) palette[i] = ToYuv(argb[i]);
    // The rectangle in picture coordinates, clipped at all four edges.
    const int x0 = static_cast<int>(int64_t{rect.x} * picture.width / canvasWidth);
    const int y0 = static_cast<int>(int64_t{rect.y} * picture.height / canvasHeight);
    const int x1 = std::min(picture.width, static_cast<int>(int64_t{rect.x + rect.w} * picture.width / canvasWidth));
    const int y1 = std::min(picture.height, static_cast<int>(int64_t{rect.y + rect.h} * picture.height / canvasHeight));
    const auto sourceIndex = [&](int x, int y) {
      const int sx = static_cast<int>(int64_t{x} * canvasWidth / picture.width) - rect.x;
      const int sy = static_cast<int>(int64_t{y} * canvasHeight / picture.height) - rect.y;
      return rect.data[0][std::clamp(sy, 0, rect.h - 1) * rect.linesize[0] + std::clamp(sx, 0, rect.w - 1)];
    };
    for (int y = std::max(0, y0); y < y1; ++y) {
      uint8_t* luma = picture.data[0] + static_cast<ptrdiff_t>(y) * picture.linesize[0];
      for (int x = std::max(0, x0); x < x1; ++x) {
        const YuvA& c = palette[sourceIndex(x, y)];
        if (c.a != 0) Blend(luma[x], c.y, c.a);
      }
    }
    const int cx0 = (std::max(0, x0) + (1 << cw) - 1) >> cw, cy0 = (std::max(0, y0) + (1 << ch) - 1) >> ch;
    const int cx1 = x1 >> cw, cy1 = y1 >> ch;
    for (int y = cy0; y < cy1; ++y) {
      uint8_t* u = picture.data[1] + static_cast<ptrdiff_t>(y) * picture.linesize[1];
      uint8_t* v = picture.data[2] + static_cast<ptrdiff_t>(y) * picture.linesize[2];
      for (int x = cx0; x < cx1; ++x) {
        const YuvA& c = palette[sourceIndex(x << cw, y << ch)];
        if (c.a == 0) continue;
        Blend(u[x], c.u, c.a);
        Blend(v[x], c.v, c.a);
      }
    }
  }
}

}  // namespace kx
