#pragma once
// Inputs whose bytes come from our own code rather than from FFmpeg's
// protocols. The AVIOContext's opaque owns the source; CloseMediaInput frees
// both. Read and Seek run on whatever thread demuxes the input.
#include <cstdint>
#include <memory>
#include <string>

extern "C" {
#include <libavformat/avformat.h>
}

namespace kx {

class CustomIoSource {
 public:
  virtual ~CustomIoSource() = default;
  // Bytes read, AVERROR_EOF at the end, or another negative AVERROR.
  virtual int Read(uint8_t* buffer, int size) = 0;
  // As AVIOContext's seek: whence may be AVSEEK_SIZE; negative AVERROR on failure.
  virtual int64_t Seek(int64_t offset, int whence) = 0;
};

// avformat_open_input over `source` (with `format`, or probing when null),
// into *ctx when the caller allocated it (with its own settings), else into a
// new context. On failure everything is freed and *ctx becomes null.
int OpenCustomInput(AVFormatContext** ctx, const std::string& name, std::unique_ptr<CustomIoSource> source,
                    const AVInputFormat* format, AVDictionary** options);

// For openers that fail before avformat_open_input: frees the context the
// caller may have allocated, *ctx becomes null; answers `error`.
int FreeUnopenedInput(AVFormatContext** ctx, int error);

// The source behind an input opened by OpenCustomInput; null for other inputs.
CustomIoSource* CustomSourceOf(const AVFormatContext* ctx);

// Frees a custom AVIOContext with its buffer and source; null is ignored.
void FreeCustomIo(AVIOContext* pb);

}  // namespace kx
