#include "engine/generic_options.h"

#include <algorithm>
#include <new>

extern "C" {
#include <libavutil/opt.h>
}

#include "engine/option_values.h"

namespace kx {
namespace {

constexpr std::array<int, 3> kTypeFlags = {AV_OPT_FLAG_VIDEO_PARAM, AV_OPT_FLAG_AUDIO_PARAM,
                                           AV_OPT_FLAG_SUBTITLE_PARAM};

int TypeIndex(AVMediaType type) {
  switch (type) {
    case AVMEDIA_TYPE_AUDIO: return 1;
    case AVMEDIA_TYPE_SUBTITLE: return 2;
    default: return 0;
  }
}

// The option called `name` (not a named constant) among a class's own options.
const AVOption* FindOption(const AVClass* cls, const std::string& name, int flags) {
  if (cls == nullptr) return nullptr;
  return av_opt_find2(&cls, name.c_str(), nullptr, flags, AV_OPT_SEARCH_FAKE_OBJ, nullptr);
}

TGenericResult Reject(const std::string& name, const std::string& value) {
  av_log(nullptr, AV_LOG_ERROR, "Invalid value \"%s\" for option \"%s\"\n", value.c_str(), name.c_str());
  return TGenericResult::Rejected;
}

void Remember(std::vector<std::string>& names, const std::string& name) {
  if (std::find(names.begin(), names.end(), name) == names.end()) names.push_back(name);
}

// Copies the current value of each remembered option that `accept` lets pass.
template <typename Accept>
void CopyOptions(void* defaults, const std::vector<std::string>& names, Accept accept, DictionaryPtr& out) {
  for (const std::string& name : names) {
    if (!accept(name)) continue;
    uint8_t* text = nullptr;
    if (av_opt_get(defaults, name.c_str(), 0, &text) >= 0 && text != nullptr)
      DictionarySet(out, name.c_str(), reinterpret_cast<const char*>(text));
    av_free(text);
  }
}

void CopyPrivate(const DictionaryPtr& from, const AVClass* cls, int flags, DictionaryPtr& out) {
  const AVDictionaryEntry* entry = nullptr;
  while ((entry = av_dict_get(from.get(), "", entry, AV_DICT_IGNORE_SUFFIX)) != nullptr)
    if (FindOption(cls, entry->key, flags)) DictionarySet(out, entry->key, entry->value);
}

}  // namespace

TGenericOptions::TGenericOptions() {
  for (CodecDefaults& defaults : codec_) defaults.object.reset(avcodec_alloc_context3(nullptr));
  format_.object.reset(avformat_alloc_context());
  scaler_.object.reset(sws_alloc_context());
  if (!format_.object || !scaler_.object || std::any_of(codec_.begin(), codec_.end(), [](auto& d) { return !d.object; }))
    throw std::bad_alloc();
}

TGenericOptions::CodecDefaults& TGenericOptions::CodecFor(AVMediaType type) { return codec_[TypeIndex(type)]; }

const TGenericOptions::CodecDefaults& TGenericOptions::CodecFor(AVMediaType type) const {
  return codec_[TypeIndex(type)];
}

TGenericResult TGenericOptions::OfferCodec(int typeIndex, const std::string& name, const std::string& value,
                                           const AVCodec* encoder) {
  CodecDefaults& defaults = codec_[typeIndex];
  if (FindOption(avcodec_get_class(), name, kTypeFlags[typeIndex])) {
    if (av_opt_set(defaults.object.get(), name.c_str(), value.c_str(), 0) < 0) return Reject(name, value);
    Remember(defaults.names, name);
    return TGenericResult::Taken;
  }
  if (encoder == nullptr || !FindOption(encoder->priv_class, name, 0)) return TGenericResult::Unknown;
  // Private values are checked on a context of that encoder and kept as text.
  std::unique_ptr<AVCodecContext, CodecContextDeleter> scratch(avcodec_alloc_context3(encoder));
  if (!scratch || av_opt_set(scratch->priv_data, name.c_str(), value.c_str(), 0) < 0) return Reject(name, value);
  DictionarySet(defaults.privateOptions, name.c_str(), value.c_str());
  return TGenericResult::Taken;
}

TGenericResult TGenericOptions::OfferFormat(const std::string& name, const std::string& value,
                                            const AVOutputFormat* muxer) {
  if (FindOption(avformat_get_class(), name, 0)) {
    if (av_opt_set(format_.object.get(), name.c_str(), value.c_str(), 0) < 0) return Reject(name, value);
    Remember(format_.names, name);
    return TGenericResult::Taken;
  }
  if (muxer == nullptr || !FindOption(muxer->priv_class, name, 0)) return TGenericResult::Unknown;
  AVFormatContext* raw = nullptr;
  avformat_alloc_output_context2(&raw, muxer, nullptr, nullptr);
  std::unique_ptr<AVFormatContext, FormatContextDeleter> scratch(raw);
  if (!scratch || av_opt_set(scratch->priv_data, name.c_str(), value.c_str(), 0) < 0) return Reject(name, value);
  DictionarySet(format_.privateOptions, name.c_str(), value.c_str());
  return TGenericResult::Taken;
}

TGenericResult TGenericOptions::OfferScaler(const std::string& name, const std::string& value) {
  if (!FindOption(sws_get_class(), name, 0)) return TGenericResult::Unknown;
  if (av_opt_set(scaler_.object.get(), name.c_str(), value.c_str(), 0) < 0) return Reject(name, value);
  Remember(scaler_.names, name);
  return TGenericResult::Taken;
}

TGenericResult TGenericOptions::Set(const std::string& rawName, const std::string& rawValue,
                                    const TOptionOwners& owners) {
  const std::string name = Trim(rawName);
  const std::string value = Trim(rawValue);
  if (name.empty() || value.empty()) return TGenericResult::Unknown;

  const std::array<const AVCodec*, 3> encoders = {owners.videoEncoder, owners.audioEncoder, owners.subtitleEncoder};
  bool taken = false;
  for (int i = 0; i < 3; ++i) {
    // "b" is the video bit rate here; the audio one is "ab". Today's libraries
    // flag "b" for audio too, which would give the audio encoder a video rate.
    if (name == "b" && i != 0) continue;
    const TGenericResult result = OfferCodec(i, name, value, encoders[i]);
    if (result == TGenericResult::Rejected) return result;
    taken = taken || result == TGenericResult::Taken;
  }
  if (taken) return TGenericResult::Taken;
  if (TGenericResult result = OfferFormat(name, value, owners.muxer); result != TGenericResult::Unknown) return result;
  if (TGenericResult result = OfferScaler(name, value); result != TGenericResult::Unknown) return result;
  if (name.size() > 1) {
    const std::string rest = name.substr(1);
    switch (name[0]) {
      case 'v': return OfferCodec(0, rest, value, encoders[0]);
      case 'a': return OfferCodec(1, rest, value, encoders[1]);
      case 's': return OfferCodec(2, rest, value, encoders[2]);
      default: break;
    }
  }
  return TGenericResult::Unknown;
}

TGenericResult TGenericOptions::SetCodecOption(AVMediaType type, const std::string& name, const std::string& value,
                                               const AVCodec* encoder) {
  return OfferCodec(TypeIndex(type), Trim(name), Trim(value), encoder);
}

int64_t TGenericOptions::CodecDefaultInt(AVMediaType type, const char* name) const {
  int64_t number = 0;
  av_opt_get_int(CodecFor(type).object.get(), name, 0, &number);
  return number;
}

bool TGenericOptions::DebugRequested() const {
  int64_t codecDebug = 0;
  int64_t formatDebug = 0;
  av_opt_get_int(codec_[0].object.get(), "debug", 0, &codecDebug);
  av_opt_get_int(format_.object.get(), "fdebug", 0, &formatDebug);
  return codecDebug != 0 || formatDebug != 0;
}

int TGenericOptions::ScalerFlags() const {
  int64_t flags = 0;
  av_opt_get_int(scaler_.object.get(), "sws_flags", 0, &flags);
  return static_cast<int>(flags);
}

DictionaryPtr TGenericOptions::CodecOptions(AVMediaType type, const AVCodec* codec, bool encoding) const {
  const int direction = encoding ? AV_OPT_FLAG_ENCODING_PARAM : AV_OPT_FLAG_DECODING_PARAM;
  const CodecDefaults& defaults = CodecFor(type);
  DictionaryPtr out;
  CopyOptions(
      defaults.object.get(), defaults.names,
      [&](const std::string& name) {
        return FindOption(avcodec_get_class(), name, direction | kTypeFlags[TypeIndex(type)]) != nullptr;
      },
      out);
  if (codec != nullptr) CopyPrivate(defaults.privateOptions, codec->priv_class, direction, out);
  return out;
}

DictionaryPtr TGenericOptions::FormatOptions(const AVClass* formatPrivClass, bool output) const {
  const int direction = output ? AV_OPT_FLAG_ENCODING_PARAM : AV_OPT_FLAG_DECODING_PARAM;
  DictionaryPtr out;
  CopyOptions(
      format_.object.get(), format_.names,
      [&](const std::string& name) { return FindOption(avformat_get_class(), name, direction) != nullptr; }, out);
  CopyPrivate(format_.privateOptions, formatPrivClass, direction, out);
  return out;
}

DictionaryPtr TGenericOptions::ScalerOptions() const {
  DictionaryPtr out;
  CopyOptions(scaler_.object.get(), scaler_.names, [](const std::string&) { return true; }, out);
  return out;
}

}  // namespace kx
