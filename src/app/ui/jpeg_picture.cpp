#include "app/ui/jpeg_picture.h"

#include <jpeglib.h>

#include <csetjmp>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <vector>

namespace kx {
namespace {

// Pictures larger than this are refused before any memory is taken for them.
constexpr JDIMENSION kMaxSide = 16384;
constexpr std::streamoff kMaxFileBytes = 64 << 20;

// libjpeg's default error handler ends the process; this one jumps back.
struct ErrorManager {
  jpeg_error_mgr base;
  std::jmp_buf jump;
};

[[noreturn]] void JumpBack(j_common_ptr info) {
  std::longjmp(reinterpret_cast<ErrorManager*>(info->err)->jump, 1);
}
void Silent(j_common_ptr) {}

// The picture is the caller's, so no local object of this function changes
// between setjmp and a longjmp from inside libjpeg.
bool Decode(const std::vector<unsigned char>& data, QImage& picture) {
  jpeg_decompress_struct info{};
  ErrorManager errors{};
  info.err = jpeg_std_error(&errors.base);
  errors.base.error_exit = JumpBack;
  errors.base.output_message = Silent;
  if (setjmp(errors.jump)) {
    jpeg_destroy_decompress(&info);
    return false;
  }
  jpeg_create_decompress(&info);
  jpeg_mem_src(&info, data.data(), data.size());
  jpeg_read_header(&info, TRUE);
  bool ok = info.image_width <= kMaxSide && info.image_height <= kMaxSide;
  if (ok) {
    info.out_color_space = JCS_RGB;
    jpeg_start_decompress(&info);
    picture = QImage(static_cast<int>(info.output_width), static_cast<int>(info.output_height),
                     QImage::Format_RGB888);
    ok = !picture.isNull() && info.output_components == 3;
    while (ok && info.output_scanline < info.output_height) {
      JSAMPROW row = picture.scanLine(static_cast<int>(info.output_scanline));
      jpeg_read_scanlines(&info, &row, 1);
    }
    if (ok) jpeg_finish_decompress(&info);
  }
  jpeg_destroy_decompress(&info);
  return ok;
}

}  // namespace

QImage ReadJpegPicture(const std::string& path) {
  std::ifstream in(path, std::ios::binary | std::ios::ate);
  if (!in) return {};
  const std::streamoff size = in.tellg();
  if (size <= 0 || size > kMaxFileBytes) return {};
  in.seekg(0);
  std::vector<unsigned char> data(static_cast<std::size_t>(size));
  if (!in.read(reinterpret_cast<char*>(data.data()), size)) return {};
  QImage picture;
  if (!Decode(data, picture)) return {};
  return picture;
}

}  // namespace kx
