#include "profiles/output_options.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <climits>
#include <cmath>
#include <optional>
#include <stdexcept>
#include <string_view>

#include "app/settings_store.h"
#include "profiles/profile_catalogue.h"
#include "profiles/profile_text.h"
#include "profiles/zoom_fit.h"

namespace kx {
namespace {

constexpr char kAsSource[] = "as source";

bool IsBlank(const std::string& s) {
  return std::all_of(s.begin(), s.end(), [](unsigned char c) { return std::isspace(c); });
}

// A value in kbit/s as bit/s, when it is positive and fits.
std::optional<int> KbitToBit(double kbit) {
  const double bits = std::trunc(kbit * 1000.0);
  if (!(bits > 0) || bits > INT_MAX) return std::nullopt;
  return static_cast<int>(bits);
}

struct DiscTarget {
  std::string_view format;
  int target;
  int norm;
  std::string_view wideSize;  // the frame size that makes a DVD 16:9; empty: always 4:3
};

constexpr std::array<DiscTarget, 6> kDiscTargets = {{
    {"ntsc-dvd", 3, 2, "720x480"},
    {"pal-dvd", 3, 1, "720x576"},
    {"ntsc-vcd", 1, 2, ""},
    {"pal-vcd", 1, 1, ""},
    {"ntsc-svcd", 2, 2, ""},
    {"pal-svcd", 2, 1, ""},
}};

// Encoders passed on under their own name.
constexpr std::array<std::string_view, 19> kPlainVideoCodecs = {
    "mpeg4", "libxvid", "mpeg1video", "msmpeg4", "msmpeg4v1", "msmpeg4v2", "huffyuv", "dvvideo", "rawvideo", "h263p",
    "h263",  "rv10",    "rv20",       "ljpeg",   "mjpeg",     "svq1",      "zlib",    "wmv1",    "wmv2"};

// Containers that "Format" names; any other value leaves the choice to the extension.
constexpr std::array<std::string_view, 10> kContainers = {"ipod", "3gp", "3g2", "avi", "psp",
                                                          "mov",  "vcd", "flv", "mpegts", "vob"};

template <typename List>
bool Contains(const List& list, std::string_view value) {
  return std::find(list.begin(), list.end(), value) != list.end();
}

constexpr char kH263Sizes[] = "704x576,352x288,176x144,160x120,128x96";

class ProfileReader {
 public:
  ProfileReader(const ProfileIniFiles& ini, int code) : ini_(ini), section_(FormatSection(code)) {}
  std::string Format() const { return ReadString(ini_.format, section_, "Format", "null"); }
  std::string Para(const char* key, const char* defaultValue) const {
    return ReadString(ini_.settings, section_, key, defaultValue);
  }

 private:
  const ProfileIniFiles& ini_;
  std::string section_;
};

void ApplyDiscTarget(const ProfileReader& profile, TOutputOptions& out) {
  const std::string format = Lower(profile.Format());
  for (const DiscTarget& disc : kDiscTargets) {
    if (format != disc.format) continue;
    out.Target = disc.target;
    out.TargetNorm = disc.norm;
    out.FrameAspectRatio =
        !disc.wideSize.empty() && profile.Para("paraVideoSize", "null") == disc.wideSize ? "16:9" : "4:3";
  }
}

void ApplyVideoCodec(const ProfileReader& profile, const std::string& encoder, TOutputOptions& out) {
  if (Contains(kPlainVideoCodecs, encoder)) {
    out.VideoCodec = encoder;
  } else if (encoder == "mpeg2video") {
    out.VideoCodec = encoder;
    out.Target = 3;
  } else if (encoder == "libx264") {
    out.VideoCodec = encoder;
    const std::string format = Lower(profile.Format());
    out.VideoPreset = format == "psp" || format == "ipod" || format == "ps3" ? "libx264-" + format : "libx264-mp4";
  }
}

struct FrameSize {
  int width;
  int height;
};

FrameSize ChooseFrameSize(const ProfileReader& profile, const TOutputOptions& out, const TDVDTitleInfo& title,
                          const AskYesNo& ask) {
  const std::string size = profile.Para("paraVideoSize", "null");
  if (size != kAsSource) {
    const size_t x = size.find('x');
    if (x != std::string::npos && x > 0 && x + 1 < size.size()) {
      FrameSize frame{AsInteger(std::string_view(size).substr(0, x)).value_or(title.Width),
                      AsInteger(std::string_view(size).substr(x + 1)).value_or(title.Height)};
      if (Lower(out.VideoCodec) == "h263" && std::string_view(kH263Sizes).find(size) == std::string_view::npos) {
        if (frame.width > 352)
          frame = {704, 576};
        else if (frame.width > 176)
          frame = {352, 288};
      }
      return frame;
    }
    if (ask("Warning", "Error output Video Size.Use the default size 320x240?")) return {320, 240};
  }
  return {title.Width, title.Height};
}

void SetFrame(const FrameSize& frame, TOutputOptions& out) {
  out.FrameSize = std::to_string(frame.width) + "x" + std::to_string(frame.height);
  out.FrameAspectRatio = std::to_string(frame.width) + ":" + std::to_string(frame.height);
}

int EvenTowardZero(long long value) { return static_cast<int>(value - value % 2); }

// Returns the letterbox filter text, empty for the other zoom modes.
std::string ApplyZoom(const TlvFilesRecord& rec, const FrameSize& frame, const TDVDTitleInfo& title,
                      TOutputOptions& out) {
  if (rec.Zoom == "full") {
    SetFrame(frame, out);
  } else if (rec.Zoom == "lbox") {
    return LetterboxFilter(frame.width, frame.height,
                           LetterboxPads(title.Width, title.Height, frame.width, frame.height));
  } else if (rec.Zoom == "pan") {
    const PanCrop crop = PanScanCrop(title.Width - out.CropLeft - out.CropRight,
                                     title.Height - out.CropTop - out.CropBottom);
    if (crop.edges == PanCrop::Edges::LeftRight) {
      out.CropLeft = out.CropRight = EvenTowardZero(crop.extra + rec.CropLeft);
    } else if (crop.edges == PanCrop::Edges::TopBottom) {
      out.CropTop = out.CropBottom = EvenTowardZero(crop.extra + rec.CropTop);
    }
    SetFrame(frame, out);
  }
  return {};
}

// Sample rate, bit rate and volume, alike for video and audio-only profiles.
void ApplyAudioRates(const ProfileReader& profile, TOutputOptions& out) {
  const std::string sampleRate = profile.Para("paraSampleRate", "44100");
  if (sampleRate != kAsSource)
    if (const auto hz = AsInteger(sampleRate); hz && *hz > 0) out.AudioSampleRate = *hz;

  const std::string bitRate = profile.Para("paraAudioBitRate", "128");
  if (bitRate != kAsSource)
    if (const auto kbit = AsNumber(bitRate))
      if (const auto bits = KbitToBit(*kbit)) out.AudioBitrate = *bits;

  // A missing volume leaves the sound as it is.
  const std::string volume = profile.Para("paraVolume", "256");
  if (volume != "256") {
    const auto factor = AsInteger(volume);
    if (!factor) throw std::invalid_argument("'" + volume + "' is not a valid integer value");
    out.AudioVolume = *factor;
  }
}

void ApplyChannels(const ProfileReader& profile, bool positiveOnly, TOutputOptions& out) {
  const std::string channels = profile.Para("paraChannel", "2");
  if (channels == kAsSource) return;
  if (const auto count = AsInteger(channels); count && (!positiveOnly || *count > 0)) out.AudioChannels = *count;
}

}  // namespace

void BuildOutputOptions(const ProfileIniFiles& ini, const TlvFilesRecord& rec, int code, TOutputOptions& out,
                        const TDVDTitleInfo& title, const AskYesNo& ask) {
  const ProfileReader profile(ini, code);
  ApplyDiscTarget(profile, out);

  const std::string videoEncoder = profile.Para("paraVideoEncoder", "");
  if (IsBlank(videoEncoder)) {
    out.AudioCodec = profile.Para("paraAudioEncoder", "libfaac");
    ApplyChannels(profile, true, out);
    ApplyAudioRates(profile, out);
    out.DisableVideo = true;
    out.DisableSubtitle = true;
    return;
  }

  ApplyVideoCodec(profile, videoEncoder, out);

  const std::string videoBitRate = profile.Para("paraVideoBitRate", "512");
  if (videoBitRate != kAsSource)
    if (const auto kbit = AsInteger(videoBitRate))
      if (const auto bits = KbitToBit(*kbit)) out.VideoBitrate = *bits;

  const std::string frameRate = profile.Para("paraFrameRate", "29.97");
  if (frameRate != kAsSource)
    if (const auto fps = AsNumber(frameRate); fps && *fps > 0) out.FrameRate = frameRate;

  if (const std::string format = profile.Format(); Contains(kContainers, Lower(format))) out.FileFormat = format;

  const FrameSize frame = ChooseFrameSize(profile, out, title, ask);
  for (int* crop : {&out.CropTop, &out.CropBottom, &out.CropLeft, &out.CropRight})
    if (*crop == -1) *crop = 0;

  // Without a letterbox nothing is appended: a dangling "," would break the filter graph.
  if (const std::string letterbox = ApplyZoom(rec, frame, title, out); !letterbox.empty())
    out.VideoFilters += (out.VideoFilters.empty() ? "" : ",") + letterbox;

  std::string audioEncoder = profile.Para("paraAudioEncoder", "");
  if (audioEncoder == "libamr_nb") audioEncoder = "libopencore_amrnb";
  out.AudioCodec = audioEncoder;
  if (IsBlank(audioEncoder)) out.DisableAudio = true;
  ApplyChannels(profile, false, out);
  ApplyAudioRates(profile, out);
}

}  // namespace kx
