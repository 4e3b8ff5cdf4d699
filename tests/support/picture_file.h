#pragma once
// Still pictures (BMP, JPEG) read back with FFmpeg, for tests of what the
// snapshot writers produced.
#include <cstdint>
#include <string>
#include <vector>

namespace kx::test {

struct RgbPicture {
  int width = 0;
  int height = 0;
  std::vector<std::uint8_t> rgb;  // rows of red-green-blue bytes, no padding

  const std::uint8_t* Pixel(int x, int y) const { return rgb.data() + (std::size_t(y) * width + x) * 3; }
};

// Decodes the file's first picture to RGB. Throws std::runtime_error when it
// cannot.
RgbPicture ReadPictureFile(const std::string& path);

}  // namespace kx::test
