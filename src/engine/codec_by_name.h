#pragma once
// Looking up a decoder or encoder by the name an option gave.
#include <string>

extern "C" {
#include <libavcodec/avcodec.h>
}

namespace kx {

// Encoder names of older libraries that the installed FFmpeg knows under
// another name (libfaac → aac, libflac → flac, vorbis → libvorbis); any other
// name is returned unchanged.
std::string InstalledEncoderName(const std::string& name);

// The codec called `name`: null for an empty name. Raises "Unknown %s '%s'",
// "Invalid %s type '%s'" or the experimental-codec text when the codec is
// experimental and `strict` is above FF_COMPLIANCE_EXPERIMENTAL.
const AVCodec* CodecByName(const std::string& name, AVMediaType type, bool encoder, int strict);

// The encoder called `name` (old names mapped), or null; never raises.
const AVCodec* FindEncoder(const std::string& name);

}  // namespace kx
