#include "engine/input_opener.h"

#include "engine/custom_io.h"
#include "engine/dvd_input.h"
#include "engine/unicode_io.h"
#include "engine/unicode_names.h"

namespace kx {

int OpenMediaInput(AVFormatContext** ctx, const std::string& name, AVDictionary** options,
                   const AVInputFormat* format) {
  // A DVD title is always an MPEG program stream; `format` does not apply.
  if (name.starts_with(kDvdInputPrefix)) {
    return OpenDvdInput(ctx, name.substr(kDvdInputPrefix.size()), options);
  }
  if (IsUnicodeName(name)) return OpenUnicodeInput(ctx, name, options, format);
  return avformat_open_input(ctx, name.c_str(), format, options);
}

void CloseMediaInput(AVFormatContext** ctx) {
  if (!*ctx) return;
  // Custom I/O outlives avformat_close_input; the opener that made it frees it.
  AVIOContext* custom = ((*ctx)->flags & AVFMT_FLAG_CUSTOM_IO) ? (*ctx)->pb : nullptr;
  const bool fromSource = CustomSourceOf(*ctx) != nullptr;
  avformat_close_input(ctx);
  if (fromSource) FreeCustomIo(custom);
  else CloseUnicodeIo(&custom);
}

}  // namespace kx
