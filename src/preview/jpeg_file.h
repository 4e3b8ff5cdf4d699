#pragma once
// Baseline JPEG files of snapshot pictures, encoded by libjpeg. Any thread.
#include <cstdint>
#include <vector>

#include "engine/bitmap.h"

namespace kx {

// The whole file at `quality` (limited to 1 … 100, higher is better).
// Raises std::runtime_error with libjpeg's text when encoding fails.
std::vector<std::uint8_t> EncodeJpeg(const TBitmap& picture, int quality);

}  // namespace kx
