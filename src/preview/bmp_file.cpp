#include "preview/bmp_file.h"

#include <cstring>

namespace kx {
namespace {

constexpr std::size_t kFileHeaderBytes = 14;
constexpr std::size_t kInfoHeaderBytes = 40;

void PutLe(std::uint8_t* at, std::uint32_t value, int bytes) {
  for (int i = 0; i < bytes; ++i) at[i] = static_cast<std::uint8_t>(value >> (8 * i));
}

}  // namespace

std::vector<std::uint8_t> EncodeBmp(const TBitmap& picture) {
  const std::size_t rowBytes = (static_cast<std::size_t>(picture.Width) * 3 + 3) & ~std::size_t{3};
  const std::size_t pixelBytes = rowBytes * picture.Height;
  const std::size_t offset = kFileHeaderBytes + kInfoHeaderBytes;
  std::vector<std::uint8_t> file(offset + pixelBytes, 0);
  std::uint8_t* header = file.data();
  header[0] = 'B';
  header[1] = 'M';
  PutLe(header + 2, static_cast<std::uint32_t>(file.size()), 4);
  PutLe(header + 10, static_cast<std::uint32_t>(offset), 4);
  std::uint8_t* info = header + kFileHeaderBytes;
  PutLe(info, kInfoHeaderBytes, 4);
  PutLe(info + 4, static_cast<std::uint32_t>(picture.Width), 4);
  PutLe(info + 8, static_cast<std::uint32_t>(picture.Height), 4);  // positive: bottom-up rows
  PutLe(info + 12, 1, 2);                                          // planes
  PutLe(info + 14, 24, 2);                                         // bits per pixel
  PutLe(info + 20, static_cast<std::uint32_t>(pixelBytes), 4);
  PutLe(info + 24, 2835, 4);  // 72 dots per inch, as pixels per metre
  PutLe(info + 28, 2835, 4);
  // Our pictures are blue-green-red already, as BMP wants them.
  std::uint8_t* out = file.data() + offset;
  for (int y = picture.Height - 1; y >= 0; --y, out += rowBytes)
    std::memcpy(out, picture.Row(y), static_cast<std::size_t>(picture.Width) * 3);
  return file;
}

}  // namespace kx
