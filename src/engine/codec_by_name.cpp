#include "engine/codec_by_name.h"

#include <array>
#include <string_view>
#include <utility>

#include "engine/ffmpeg_exception.h"

namespace kx {
namespace {

constexpr std::array<std::pair<std::string_view, std::string_view>, 3> kEncoderNames = {{
    {"libfaac", "aac"},
    {"libflac", "flac"},
    // FFmpeg's own Vorbis encoder is experimental; the library one is not.
    {"vorbis", "libvorbis"},
}};

const AVCodec* FindByName(const std::string& name, bool encoder) {
  return encoder ? avcodec_find_encoder_by_name(InstalledEncoderName(name).c_str())
                 : avcodec_find_decoder_by_name(name.c_str());
}

}  // namespace

std::string InstalledEncoderName(const std::string& name) {
  for (const auto& [old, now] : kEncoderNames)
    if (name == old) return std::string(now);
  return name;
}

const AVCodec* FindEncoder(const std::string& name) { return name.empty() ? nullptr : FindByName(name, true); }

const AVCodec* CodecByName(const std::string& name, AVMediaType type, bool encoder, int strict) {
  if (name.empty()) return nullptr;
  const std::string kind = encoder ? "encoder" : "decoder";
  const AVCodec* codec = FindByName(name, encoder);
  if (codec == nullptr) throw FFmpegException("Unknown " + kind + " '" + name + "'");
  if (codec->type != type) throw FFmpegException("Invalid " + kind + " type '" + name + "'");
  if ((codec->capabilities & AV_CODEC_CAP_EXPERIMENTAL) && strict > FF_COMPLIANCE_EXPERIMENTAL) {
    std::string text = kind + " '" + codec->name +
                       "' is experimental and might produce bad results.\r\n"
                       "Add '-strict experimental' if you want to use it.";
    const AVCodec* other = encoder ? avcodec_find_encoder(codec->id) : avcodec_find_decoder(codec->id);
    if (other != nullptr && !(other->capabilities & AV_CODEC_CAP_EXPERIMENTAL))
      text += "\r\nOr use the non experimental " + kind + " '" + other->name + "'.";
    throw FFmpegException(text);
  }
  return codec;
}

}  // namespace kx
