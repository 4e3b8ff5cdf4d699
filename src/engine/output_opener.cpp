#include "engine/output_opener.h"

#include "engine/unicode_io.h"
#include "engine/unicode_names.h"

namespace kx {

int OpenMediaOutput(AVFormatContext* ctx, const std::string& name) {
  if (ctx->oformat && (ctx->oformat->flags & AVFMT_NOFILE)) return 0;
  if (!IsUnicodeName(name)) return avio_open(&ctx->pb, name.c_str(), AVIO_FLAG_WRITE);
  const int result = OpenUnicodeIo(&ctx->pb, name, UnicodeIoMode::Write);
  if (result >= 0) ctx->flags |= AVFMT_FLAG_CUSTOM_IO;
  return result;
}

int CloseMediaOutput(AVFormatContext* ctx) {
  if (!ctx->pb) return 0;
  const int result = CloseUnicodeIo(&ctx->pb);
  return result == 1 ? avio_closep(&ctx->pb) : result;
}

}  // namespace kx
