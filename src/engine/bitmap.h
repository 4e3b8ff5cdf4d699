#pragma once
// A 24-bit picture as frames reach the hook, the previews and the overlays:
// rows of blue-green-red bytes, top row first, each row `Stride` bytes long.
#include <cstddef>
#include <cstdint>
#include <vector>

namespace kx {

struct TBitmap {
  int Width = 0;
  int Height = 0;
  int Stride = 0;  // bytes per row, at least Width * 3
  std::vector<std::uint8_t> Pixels;

  // Gives the picture a new size with rows padded to four bytes; the
  // pixels' content is unspecified afterwards.
  void Resize(int width, int height) {
    Width = width > 0 ? width : 0;
    Height = height > 0 ? height : 0;
    Stride = (Width * 3 + 3) & ~3;
    Pixels.resize(static_cast<std::size_t>(Stride) * Height);
  }

  std::uint8_t* Row(int y) { return Pixels.data() + static_cast<std::size_t>(Stride) * y; }
  const std::uint8_t* Row(int y) const { return Pixels.data() + static_cast<std::size_t>(Stride) * y; }
};

}  // namespace kx
