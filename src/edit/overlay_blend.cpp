#include "edit/overlay_blend.h"

#include <algorithm>

namespace kx {

void BlendBitmap(TBitmap& frame, const TOverlay& overlay, int x, int y, int alpha) {
  alpha = std::clamp(alpha, 0, 255);
  // 64-bit: positions come from job records and may be anywhere.
  const int firstCol = static_cast<int>(std::clamp(-std::int64_t{x}, std::int64_t{0}, std::int64_t{overlay.Width}));
  const int lastCol = static_cast<int>(std::clamp(std::int64_t{frame.Width} - x, std::int64_t{0}, std::int64_t{overlay.Width}));
  const int firstRow = static_cast<int>(std::clamp(-std::int64_t{y}, std::int64_t{0}, std::int64_t{overlay.Height}));
  const int lastRow = static_cast<int>(std::clamp(std::int64_t{frame.Height} - y, std::int64_t{0}, std::int64_t{overlay.Height}));
  if (alpha == 0 || firstCol >= lastCol || firstRow >= lastRow) return;
  const int keep = 256 - alpha;
  for (int r = firstRow; r < lastRow; ++r) {
    const std::uint8_t* src = overlay.Row(r) + firstCol * 4;
    std::uint8_t* dst = frame.Row(y + r) + (x + firstCol) * 3;
    for (int c = firstCol; c < lastCol; ++c, src += 4, dst += 3) {
      const int coverage = src[3];
      if (coverage == 0) continue;
      for (int i = 0; i < 3; ++i) {
        // Premultiplied "over"; exact at coverage 255, where it is the overlay's colour.
        const int over = src[i] + ((255 - coverage) * dst[i] + 127) / 255;
        dst[i] = static_cast<std::uint8_t>((keep * dst[i] + alpha * over) >> 8);
      }
    }
  }
}

}  // namespace kx
