#pragma once
// The one way the engine opens the byte output of a muxer by name: the
// counterpart of the input opener.
#include <string>

extern "C" {
#include <libavformat/avformat.h>
}

namespace kx {

// Opens ctx->pb for writing `name` (created or truncated): "unicode:" names
// through our own file I/O, other names through FFmpeg's protocols. Nothing
// is opened for muxers that write no file. Answers 0 or a negative AVERROR
// (AVERROR(ENOENT), -2, when the folder does not exist).
int OpenMediaOutput(AVFormatContext* ctx, const std::string& name);

// Flushes and closes ctx->pb from OpenMediaOutput; answers 0 or the error
// that kept data from reaching the file.
int CloseMediaOutput(AVFormatContext* ctx);

}  // namespace kx
