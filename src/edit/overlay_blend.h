#pragma once
// Overlays (rendered watermark texts and pictures) and their blending onto
// 24-bit frames. Pure computation without Qt; any thread.
#include <cstdint>
#include <vector>

#include "engine/bitmap.h"

namespace kx {

// A picture with coverage per pixel: bytes blue, green, red, alpha with the
// colours premultiplied by alpha, rows of Width * 4 bytes. Coverage 0 marks
// pixels outside a text's glyphs, which blending leaves untouched.
struct TOverlay {
  int Width = 0;
  int Height = 0;
  std::vector<std::uint8_t> Bgra;

  const std::uint8_t* Row(int y) const { return Bgra.data() + static_cast<std::size_t>(Width) * 4 * y; }
};

// Blends `overlay` onto `frame` with its top-left corner at (x, y), cut at
// all four edges of the frame. Each covered pixel first takes the overlay
// over the frame by its coverage, then mixes with the frame as
// ((256 - alpha) * frame + alpha * over) >> 8, so alpha 0 changes nothing
// and alpha 255 still lets 1/256 of the frame through. Alpha is limited to
// 0 … 255.
void BlendBitmap(TBitmap& frame, const TOverlay& overlay, int x, int y, int alpha);

}  // namespace kx
