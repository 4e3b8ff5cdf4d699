#pragma once
// The "opendvd:" input: a title of a DVD read through the plug-in, handed to
// FFmpeg's MPEG program stream demuxer through a custom AVIOContext.
#include <string>
#include <string_view>

extern "C" {
#include <libavformat/avformat.h>
}

namespace kx {

class TitleStream;

inline constexpr std::string_view kDvdInputPrefix = "opendvd:";

// Opens a reader on `drive` with the parameters of the last SetDVDParam (the
// plug-in is loaded from the program folder first if need be). Main thread.
int OpenDvdInput(AVFormatContext** ctx, const std::string& drive, AVDictionary** options);

// The reader behind an "opendvd:" input (palette, bad sectors); null otherwise.
const TitleStream* DvdInputStream(const AVFormatContext* ctx);

}  // namespace kx
