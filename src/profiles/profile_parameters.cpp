#include "profiles/profile_parameters.h"

#include <span>
#include <string_view>
#include <utility>

#include "app/settings_store.h"
#include "profiles/profile_catalogue.h"
#include "profiles/profile_text.h"

namespace kx {
namespace {

constexpr char kAsSource[] = "as source";

constexpr std::array<ParameterKeys, kParameterCount> kKeys{{
    {"VideoSize", "iVideoSize", "paraVideoSize", "320x240"},
    {"VideoBitRate", "iVideoBitRate", "paraVideoBitRate", "800"},
    {"FrameRate", "iFrameRate", "paraFrameRate", "25"},
    {"VideoEncoder", "iVideoEncoder", "paraVideoEncoder", nullptr},
    {"AudioBitRate", "iAudioBitRate", "paraAudioBitRate", "96"},
    {"SampleRate", "iSampleRate", "paraSampleRate", "44100"},
    {"AudioEncoder", "iAudioEncoder", "paraAudioEncoder", nullptr},
    {"Channel", "iChannel", "paraChannel", nullptr},
    {"Volume", "iVolume", "paraVolume", nullptr},
}};

// The order in which Ok writes the indexes.
constexpr Parameter kIndexOrder[] = {Parameter::VideoSize,  Parameter::VideoBitRate, Parameter::VideoEncoder,
                                     Parameter::FrameRate,  Parameter::SampleRate,   Parameter::AudioBitRate,
                                     Parameter::Channel,    Parameter::Volume,       Parameter::AudioEncoder};

using TokenTable = std::initializer_list<std::pair<std::string_view, std::string_view>>;

// Items stored as they read in lower case.
constexpr std::string_view kPlainVideoEncoders[] = {
    "3gp",       "3g2",       "mov",        "wmv1",       "wmv2",  "wmv3",     "flv",      "swf",
    "msmpeg4",   "msmpeg4v1", "msmpeg4v2",  "mpeg1video", "mpeg2video", "h263", "h263p", "rawvideo",
    "rv10",      "rv20",      "dvvideo",    "huffyuv",    "ljpeg", "mjpeg",    "svq1",     "zlib"};
constexpr std::string_view kPlainAudioEncoders[] = {"mp2", "pcm_alaw", "adpcm_ms", "adpcm_ima_wav"};

std::optional<std::string> Lookup(const std::string& item, const TokenTable& table,
                                  std::span<const std::string_view> plain = {}) {
  const std::string lower = Lower(item);
  for (const auto& [from, to] : table)
    if (lower == from) return std::string(to);
  for (std::string_view name : plain)
    if (lower == name) return lower;
  return std::nullopt;
}

const char* ZoomToken(Zoom zoom) {
  switch (zoom) {
    case Zoom::Full: return "full";
    case Zoom::Letterbox: return "lbox";
    case Zoom::PanAndScan: return "pan";
    case Zoom::None: break;
  }
  return "";
}

bool IsH264(const std::string& item) { return Lower(item) == "h264"; }

// Copies the format INI's H.264 tuning values that are present and valid;
// an invalid one is skipped, so the copy stored before stays.
void CopyH264Tuning(const std::string& settingsIni, const std::string& formatIni, const std::string& section) {
  struct Tuning {
    const char* key;
    bool (*valid)(const std::string&);
  };
  static constexpr Tuning kTuning[] = {
      {"paraBitExact", [](const std::string& v) { return Lower(v) == "true"; }},
      {"paraMaxBitrate", [](const std::string& v) { return AsInteger(v).value_or(0) > 0; }},
      {"paraBufferSize", [](const std::string& v) { return AsInteger(v).value_or(0) > 0; }},
      {"paraLevel", [](const std::string& v) { return AsInteger(v).value_or(0) > 0; }},
      {"paraQscale", [](const std::string& v) { return AsInteger(v).value_or(0) > 0; }},
      {"paraGop", [](const std::string& v) { return AsInteger(v).value_or(0) > 0; }},
      {"paraCoder", [](const std::string& v) { return AsInteger(v).value_or(-1) >= 0; }},
  };
  for (const Tuning& tuning : kTuning) {
    const std::string value = ReadString(formatIni, section, tuning.key, "");
    if (tuning.valid(value)) WriteString(settingsIni, section, tuning.key, value);
  }
}

}  // namespace

const ParameterKeys& KeysOf(Parameter parameter) { return kKeys[static_cast<std::size_t>(parameter)]; }

std::vector<std::string> ParameterItems(const std::string& formatIni, int code, Parameter parameter) {
  const std::string value = ReadString(formatIni, FormatSection(code), KeysOf(parameter).list, "null");
  std::vector<std::string> items;
  if (value == "null" || value.empty()) return items;
  std::size_t start = 0;
  for (std::size_t comma; (comma = value.find(',', start)) != std::string::npos; start = comma + 1)
    items.push_back(value.substr(start, comma - start));
  items.push_back(value.substr(start));
  return items;
}

StoredChoice ReadStoredChoice(const std::string& settingsIni, int code, Parameter parameter) {
  const ParameterKeys& keys = KeysOf(parameter);
  const std::string section = FormatSection(code);
  StoredChoice choice;
  choice.index = ReadInteger(settingsIni, section, keys.index, 0);
  if (keys.typedDefault) choice.text = ReadString(settingsIni, section, keys.para, keys.typedDefault);
  return choice;
}

int DefaultIndex(const std::string& formatIni, int code, Parameter parameter) {
  return ReadInteger(formatIni, FormatSection(code), KeysOf(parameter).index, 0);
}

Zoom ReadZoom(const std::string& settingsIni, int code, Zoom missing) {
  const std::string value = Lower(ReadString(settingsIni, FormatSection(code), "paraZoom", ZoomToken(missing)));
  for (Zoom zoom : {Zoom::Full, Zoom::Letterbox, Zoom::PanAndScan})
    if (value == ZoomToken(zoom)) return zoom;
  return Zoom::None;
}

std::optional<std::string> VideoEncoderToken(const std::string& item) {
  return Lookup(item, {{"mpeg-4", "mpeg4"}, {"xvid", "libxvid"}, {"h264", "libx264"}}, kPlainVideoEncoders);
}

std::optional<std::string> AudioEncoderToken(const std::string& item) {
  // "pcm_mulaw " is the item as the installed lists used to spell it; the
  // same item without the blank is taken too.
  return Lookup(item,
                {{"mp3", "libmp3lame"},
                 {"ogg", "vorbis"},
                 {"aac", "libfaac"},
                 {"ac-3", "ac3"},
                 {"flac", "libflac"},
                 {"amr_nb", "libopencore_amrnb"},
                 {"pcm_s16", "pcm_s16le"},
                 {"pcm_u16", "pcm_u16le"},
                 {"pcm_mulaw ", "pcm_mulaw"},
                 {"pcm_mulaw", "pcm_mulaw"},
                 {"wma1", "wmav1"},
                 {"wma2", "wmav2"}},
                kPlainAudioEncoders);
}

std::optional<std::string> ChannelToken(const std::string& item) {
  return Lookup(item, {{"as source", "as source"}, {"mono 1 channel", "1"}, {"stereo 2 channels", "2"}});
}

std::optional<std::string> VolumeToken(const std::string& item) {
  if (item.empty()) return std::nullopt;
  const std::optional<int> percent = AsInteger(std::string_view(item).substr(0, item.size() - 1));
  if (!percent) return std::nullopt;
  for (int known : {25, 50, 75, 100, 125, 150, 175, 200, 250, 300, 350, 400})
    if (*percent == known) return std::to_string(known * 256 / 100);
  return std::nullopt;
}

FrameSizeCheck CheckFrameSize(const std::string& text) {
  if (Lower(text).find(kAsSource) != std::string::npos) return {FrameSizeCheck::Result::Accepted, {}};
  const std::size_t x = text.rfind('x');
  if (x == std::string::npos) return {FrameSizeCheck::Result::Invalid, {}};
  const std::optional<int> width = AsInteger(std::string_view(text).substr(0, x));
  const std::optional<int> height = AsInteger(std::string_view(text).substr(x + 1));
  // A negative size is no frame size either.
  if (!width || !height || *width < 0 || *height < 0) return {FrameSizeCheck::Result::Invalid, {}};
  if (*width % 2 == 0 && *height % 2 == 0 && *width != 0 && *height != 0)
    return {FrameSizeCheck::Result::Accepted, {}};
  const auto even = [](int v) { return v - v % 2 == 0 ? 2 : v - v % 2; };
  return {FrameSizeCheck::Result::Corrected, std::to_string(even(*width)) + "x" + std::to_string(even(*height))};
}

bool IsRateText(const std::string& text, bool decimals) {
  if (text == kAsSource) return true;
  if (decimals) return AsNumber(text).value_or(-1) >= 0;
  return AsInteger(text).value_or(-1) >= 0;
}

const ProfileChoices::Shown& ShownOf(const ProfileChoices& choices, Parameter parameter) {
  return choices.parameters[static_cast<std::size_t>(parameter)];
}

void StoreProfileChoices(const std::string& settingsIni, const std::string& formatIni, int code,
                         const std::string& name, const ProfileChoices& choices) {
  const std::string section = FormatSection(code);
  const auto shown = [&choices](Parameter p) -> const ProfileChoices::Shown& { return ShownOf(choices, p); };
  const auto storeText = [&](Parameter p) { WriteString(settingsIni, section, KeysOf(p).para, shown(p).text); };
  const auto storeToken = [&](Parameter p, std::optional<std::string> (*token)(const std::string&)) {
    if (const auto value = token(shown(p).text)) WriteString(settingsIni, section, KeysOf(p).para, *value);
  };

  WriteString(settingsIni, section, "Description", name);
  for (Parameter p : kIndexOrder) WriteInteger(settingsIni, section, KeysOf(p).index, shown(p).index);
  for (Parameter p : {Parameter::VideoSize, Parameter::VideoBitRate, Parameter::FrameRate}) storeText(p);
  if (choices.zoom != Zoom::None) WriteString(settingsIni, section, "paraZoom", ZoomToken(choices.zoom));
  storeToken(Parameter::VideoEncoder, VideoEncoderToken);
  if (IsH264(shown(Parameter::VideoEncoder).text)) CopyH264Tuning(settingsIni, formatIni, section);
  for (Parameter p : {Parameter::SampleRate, Parameter::AudioBitRate}) storeText(p);
  storeToken(Parameter::Channel, ChannelToken);
  storeToken(Parameter::Volume, VolumeToken);
  storeToken(Parameter::AudioEncoder, AudioEncoderToken);
}

}  // namespace kx
