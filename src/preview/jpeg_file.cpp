#include "preview/jpeg_file.h"

#include <algorithm>
#include <csetjmp>
#include <cstdio>  // jpeglib.h needs FILE
#include <cstdlib>
#include <stdexcept>
#include <string>

#include <jpeglib.h>

namespace kx {
namespace {

// libjpeg's default error handler ends the process; this one jumps back
// with the library's message.
struct ErrorManager {
  jpeg_error_mgr base;
  std::jmp_buf jump;
  char message[JMSG_LENGTH_MAX];
};

[[noreturn]] void JumpBack(j_common_ptr info) {
  auto* errors = reinterpret_cast<ErrorManager*>(info->err);
  errors->base.format_message(info, errors->message);
  std::longjmp(errors->jump, 1);
}

// Nothing with a destructor lives in this frame, so a longjmp out of
// libjpeg skips no clean-up; the buffer is freed on both roads.
bool Encode(const TBitmap& picture, int quality, unsigned char*& buffer, unsigned long& size,
            ErrorManager& errors) {
  jpeg_compress_struct info{};
  info.err = jpeg_std_error(&errors.base);
  errors.base.error_exit = JumpBack;
  if (setjmp(errors.jump)) {
    jpeg_destroy_compress(&info);
    return false;
  }
  jpeg_create_compress(&info);
  jpeg_mem_dest(&info, &buffer, &size);
  info.image_width = static_cast<JDIMENSION>(picture.Width);
  info.image_height = static_cast<JDIMENSION>(picture.Height);
  info.input_components = 3;
  info.in_color_space = JCS_EXT_BGR;  // our rows as they are, no copy
  jpeg_set_defaults(&info);
  jpeg_set_quality(&info, quality, TRUE);
  jpeg_start_compress(&info, TRUE);
  while (info.next_scanline < info.image_height) {
    auto row = const_cast<JSAMPROW>(picture.Row(static_cast<int>(info.next_scanline)));
    jpeg_write_scanlines(&info, &row, 1);
  }
  jpeg_finish_compress(&info);
  jpeg_destroy_compress(&info);
  return true;
}

}  // namespace

std::vector<std::uint8_t> EncodeJpeg(const TBitmap& picture, int quality) {
  unsigned char* buffer = nullptr;
  unsigned long size = 0;
  ErrorManager errors{};
  const bool ok = Encode(picture, std::clamp(quality, 1, 100), buffer, size, errors);
  std::vector<std::uint8_t> file;
  if (ok) file.assign(buffer, buffer + size);
  std::free(buffer);
  if (!ok) throw std::runtime_error(std::string("Cannot encode the JPEG picture: ") + errors.message);
  return file;
}

}  // namespace kx
