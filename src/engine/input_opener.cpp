#include "engine/input_opener.h"

#include "engine/unicode_io.h"
#include "engine/unicode_names.h"

namespace kx {

int OpenMediaInput(AVFormatContext** ctx, const std::string& name, AVDictionary** options,
                   const AVInputFormat* format) {
  if (IsUnicodeName(name)) return OpenUnicodeInput(ctx, name, options, format);
  return avformat_open_input(ctx, name.c_str(), format, options);
}

void CloseMediaInput(AVFormatContext** ctx) {
  // Custom I/O outlives avformat_close_input; the opener that made it frees it.
  AVIOContext* pb = *ctx && ((*ctx)->flags & AVFMT_FLAG_CUSTOM_IO) ? (*ctx)->pb : nullptr;
  avformat_close_input(ctx);
  CloseUnicodeIo(&pb);
}

}  // namespace kx
