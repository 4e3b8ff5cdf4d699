#pragma once
// 24-bit BMP files of snapshot pictures. Any thread.
#include <cstdint>
#include <vector>

#include "engine/bitmap.h"

namespace kx {

// The whole file: headers, then the rows bottom-up, each padded to four bytes.
std::vector<std::uint8_t> EncodeBmp(const TBitmap& picture);

}  // namespace kx
