#include "engine/custom_io.h"

namespace kx {
namespace {

// A multiple of the DVD sector size, so that sector-aligned reads stay aligned;
// large enough that per-read costs (a seek and a read in libdvdread) stay small.
constexpr int kBufferSize = 256 * 1024;

int ReadPacket(void* opaque, uint8_t* buffer, int size) {
  return static_cast<CustomIoSource*>(opaque)->Read(buffer, size);
}

int64_t SeekSource(void* opaque, int64_t offset, int whence) {
  return static_cast<CustomIoSource*>(opaque)->Seek(offset, whence & ~AVSEEK_FORCE);
}

}  // namespace

int OpenCustomInput(AVFormatContext** ctx, const std::string& name, std::unique_ptr<CustomIoSource> source,
                    const AVInputFormat* format, AVDictionary** options) {
  auto* buffer = static_cast<unsigned char*>(av_malloc(kBufferSize));
  if (!buffer) return FreeUnopenedInput(ctx, AVERROR(ENOMEM));
  AVIOContext* pb = avio_alloc_context(buffer, kBufferSize, 0, source.get(), ReadPacket, nullptr, SeekSource);
  if (!pb) {
    av_free(buffer);
    return FreeUnopenedInput(ctx, AVERROR(ENOMEM));
  }
  source.release();  // owned by pb from here on
  if (!*ctx && !(*ctx = avformat_alloc_context())) {
    FreeCustomIo(pb);
    return AVERROR(ENOMEM);
  }
  (*ctx)->pb = pb;
  (*ctx)->flags |= AVFMT_FLAG_CUSTOM_IO;
  // On failure avformat_open_input frees the context but leaves a custom pb.
  int result = avformat_open_input(ctx, name.c_str(), format, options);
  if (result < 0) FreeCustomIo(pb);
  return result;
}

int FreeUnopenedInput(AVFormatContext** ctx, int error) {
  avformat_free_context(*ctx);
  *ctx = nullptr;
  return error;
}

CustomIoSource* CustomSourceOf(const AVFormatContext* ctx) {
  if (!ctx || !(ctx->flags & AVFMT_FLAG_CUSTOM_IO) || !ctx->pb || ctx->pb->read_packet != ReadPacket) return nullptr;
  return static_cast<CustomIoSource*>(ctx->pb->opaque);
}

void FreeCustomIo(AVIOContext* pb) {
  if (!pb) return;
  delete static_cast<CustomIoSource*>(pb->opaque);
  av_freep(&pb->buffer);
  avio_context_free(&pb);
}

}  // namespace kx
