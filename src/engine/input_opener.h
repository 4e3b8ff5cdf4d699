#pragma once
// The one way the engine, the player and the probe open an input by name.
#include <string>

extern "C" {
#include <libavformat/avformat.h>
}

namespace kx {

// Opens `name` like avformat_open_input does (with `format` forcing the
// demuxer and `options` consumed the same way) and answers 0 or a negative
// AVERROR; a failure frees *ctx. Names with a prefix of ours get a
// custom I/O context that the returned context owns: close it with
// CloseMediaInput, never with avformat_close_input alone.
int OpenMediaInput(AVFormatContext** ctx, const std::string& name, AVDictionary** options,
                   const AVInputFormat* format = nullptr);

// Closes an input from OpenMediaInput and frees its custom I/O; *ctx becomes null.
void CloseMediaInput(AVFormatContext** ctx);

}  // namespace kx
