#include "engine/input_opener.h"

namespace kx {

int OpenMediaInput(AVFormatContext** ctx, const std::string& name, AVDictionary** options) {
  return avformat_open_input(ctx, name.c_str(), nullptr, options);
}

void CloseMediaInput(AVFormatContext** ctx) {
  avformat_close_input(ctx);
}

}  // namespace kx
