#pragma once
// The media libraries' own options ("b", "maxrate", "flags", "level", "packetsize",
// "sws_flags" ...), offered to the codec, container and scaler defaults of the
// installed FFmpeg. A taken option is remembered for the rest of the task and
// copied onto every input, output and stream opened later whose flags fit.
// Not thread-safe: one instance per engine, used by the thread that sets it up.
#include <array>
#include <memory>
#include <string>
#include <vector>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libswscale/swscale.h>
}

#include "engine/av_dictionary.h"

namespace kx {

enum class TGenericResult { Taken, Unknown, Rejected };

// The encoders (by media type) and muxer whose private options count, when known.
struct TOptionOwners {
  const AVCodec* videoEncoder = nullptr;
  const AVCodec* audioEncoder = nullptr;
  const AVCodec* subtitleEncoder = nullptr;
  const AVOutputFormat* muxer = nullptr;
};

class TGenericOptions {
 public:
  TGenericOptions();

  // The whole offering rule. A rejected value is logged at error level.
  TGenericResult Set(const std::string& name, const std::string& value, const TOptionOwners& owners);
  // Offers the option to the codec defaults of one media type only.
  TGenericResult SetCodecOption(AVMediaType type, const std::string& name, const std::string& value,
                                const AVCodec* encoder);

  // An integer option of a media type's codec defaults (for example "b").
  int64_t CodecDefaultInt(AVMediaType type, const char* name) const;
  // "debug" of the video codec defaults or of the container defaults is set.
  bool DebugRequested() const;
  int ScalerFlags() const;

  // The remembered options that fit a codec of `type` (its private options
  // included), the container in the given direction, or a scaler.
  DictionaryPtr CodecOptions(AVMediaType type, const AVCodec* codec, bool encoding) const;
  DictionaryPtr FormatOptions(const AVClass* formatPrivClass, bool output) const;
  DictionaryPtr ScalerOptions() const;

 private:
  struct CodecContextDeleter {
    void operator()(AVCodecContext* ctx) const { avcodec_free_context(&ctx); }
  };
  struct FormatContextDeleter {
    void operator()(AVFormatContext* ctx) const { avformat_free_context(ctx); }
  };
  struct ScalerDeleter {
    void operator()(SwsContext* ctx) const { sws_freeContext(ctx); }
  };

  // Defaults object of the libraries plus the names set on it, and the
  // private options (as text) of the class that owns them.
  template <typename Object, typename Deleter>
  struct Defaults {
    std::unique_ptr<Object, Deleter> object;
    std::vector<std::string> names;
    DictionaryPtr privateOptions;
  };
  using CodecDefaults = Defaults<AVCodecContext, CodecContextDeleter>;

  CodecDefaults& CodecFor(AVMediaType type);
  const CodecDefaults& CodecFor(AVMediaType type) const;
  TGenericResult OfferCodec(int typeIndex, const std::string& name, const std::string& value,
                            const AVCodec* encoder);
  TGenericResult OfferFormat(const std::string& name, const std::string& value, const AVOutputFormat* muxer);
  TGenericResult OfferScaler(const std::string& name, const std::string& value);

  std::array<CodecDefaults, 3> codec_;  // video, audio, subtitle
  Defaults<AVFormatContext, FormatContextDeleter> format_;
  Defaults<SwsContext, ScalerDeleter> scaler_;
};

}  // namespace kx
