#include "engine/input_opener.h"

#include "engine/custom_io.h"
#include "engine/dvd_input.h"

namespace kx {

int OpenMediaInput(AVFormatContext** ctx, const std::string& name, AVDictionary** options) {
  if (name.starts_with(kDvdInputPrefix)) {
    return OpenDvdInput(ctx, name.substr(kDvdInputPrefix.size()), options);
  }
  return avformat_open_input(ctx, name.c_str(), nullptr, options);
}

void CloseMediaInput(AVFormatContext** ctx) {
  if (!*ctx) return;
  AVIOContext* custom = ((*ctx)->flags & AVFMT_FLAG_CUSTOM_IO) ? (*ctx)->pb : nullptr;
  avformat_close_input(ctx);
  FreeCustomIo(custom);
}

}  // namespace kx
