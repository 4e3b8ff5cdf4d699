#include "engine/option_plan.h"

#include <algorithm>
#include <charconv>
#include <cstdio>
#include <ctime>
#include <map>
#include <set>
#include <string_view>

namespace kx {
namespace {

// ExtOptions lines that are never plain options: extra streams, and the
// presets and filter graph, which go through the defaults list.
const std::set<std::string_view> kNeverPassed = {"newvideo", "newaudio", "newsubtitle", "apre",
                                                 "vpre",     "spre",     "vfilters",    "vf"};
// Passed as plain options for an input only; an output takes them as defaults.
const std::set<std::string_view> kCodecOptions = {"acodec", "vcodec", "scodec", "s"};
// Lines that set a default of the main stream and a value of an extra stream.
const std::set<std::string_view> kStreamValueNames = {"acodec", "vcodec", "scodec", "apre", "vpre",
                                                      "spre",   "s",      "vfilters", "vf"};

void PassExtOptions(const std::string& text, bool codecsAllowed, std::vector<TOptionCall>& calls) {
  for (TExtOption& option : ParseExtOptions(text)) {
    if (kNeverPassed.contains(option.Name)) continue;
    if (!codecsAllowed && kCodecOptions.contains(option.Name)) continue;
    calls.push_back({std::move(option.Name), std::move(option.Value)});
  }
}

std::string FloatText(float value) {
  char text[32];
  const auto result = std::to_chars(text, text + sizeof text, value);
  return std::string(text, result.ptr);
}

// "timestamp" reads a date; seconds since 1970 are written as a UTC date.
std::string UtcDateText(std::int64_t seconds) {
  const std::time_t time = static_cast<std::time_t>(seconds);
  std::tm utc{};
  gmtime_r(&time, &utc);
  char text[32];
  std::strftime(text, sizeof text, "%Y-%m-%dT%H:%M:%SZ", &utc);
  return text;
}

class FieldCalls {
 public:
  explicit FieldCalls(std::vector<TOptionCall>& calls) : calls_(calls) {}

  void Text(const char* name, const std::string& value) {
    if (!value.empty()) Always(name, value);
  }
  void Positive(const char* name, int value) {
    if (value > 0) Always(name, std::to_string(value));
  }
  void Positive(const char* name, float value) {
    if (value > 0) Always(name, FloatText(value));
  }
  void Flag(const char* name, bool value) {
    if (value) Always(name, "1");
  }
  void Time(const char* name, std::int64_t us) {
    if (us != kUnsetTime) Always(name, DurationText(us));
  }
  void Always(const char* name, std::string value) { calls_.push_back({name, std::move(value)}); }
  void Metadata(const char* key, const std::string& value) {
    if (!value.empty()) Always("metadata", std::string(key) + "=" + value);
  }

 private:
  std::vector<TOptionCall>& calls_;
};

void PassRecordFields(const TOutputOptions& o, std::vector<TOptionCall>& calls) {
  FieldCalls f(calls);
  f.Text("f", o.FileFormat);
  f.Positive("packetsize", o.PacketSize);
  f.Positive("muxrate", o.MuxRate);
  f.Positive("muxdelay", o.MuxDelay);
  f.Positive("muxpreload", o.MuxPreload);
  f.Flag("an", o.DisableAudio);
  if (o.AudioVolume >= 0) f.Always("vol", std::to_string(o.AudioVolume));
  f.Positive("ac", o.AudioChannels);
  f.Positive("ar", o.AudioSampleRate);
  f.Positive("ab", o.AudioBitrate);
  f.Positive("abt", o.AudioBitrateTolerance);
  f.Always("alang", o.AudioLanguage);
  f.Always("async", std::to_string(o.AudioSync));
  f.Text("atag", o.AudioTag);
  f.Flag("vn", o.DisableVideo);
  f.Text("r", o.FrameRate);
  f.Text("aspect", o.FrameAspectRatio);
  f.Always("croptop", std::to_string(o.CropTop));
  f.Always("cropbottom", std::to_string(o.CropBottom));
  f.Always("cropleft", std::to_string(o.CropLeft));
  f.Always("cropright", std::to_string(o.CropRight));
  f.Positive("g", o.GOPSize);
  f.Positive("vb", o.VideoBitrate);
  f.Positive("maxrate", o.VideoMaxRate);
  f.Positive("minrate", o.VideoMinRate);
  f.Positive("bt", o.VideoBitrateTolerance);
  f.Positive("bufsize", o.VideoBufSize);
  f.Always("vsync", std::to_string(o.VideoSync));
  f.Text("vtag", o.VideoTag);
  f.Always("vlang", o.VideoLanguage);
  f.Flag("sn", o.DisableSubtitle);
  f.Always("slang", o.SubtitleLanguage);
  f.Always("isync", o.InputSync ? "1" : "0");
  f.Flag("copyts", o.CopyTimestamps);
  f.Time("ss", o.StartTime);
  f.Time("t", o.RecordingTime);

  const TStreamInfo& info = o.StreamInfo;
  if (const auto seconds = StreamTimeStampSeconds(info)) f.Always("timestamp", UtcDateText(*seconds));
  if (info.Year > 0) f.Metadata("year", std::to_string(info.Year));
  if (info.Track > 0) f.Metadata("track", std::to_string(info.Track));
  f.Metadata("title", info.Title);
  f.Metadata("author", info.Author);
  f.Metadata("copyright", info.Copyright);
  f.Metadata("comment", info.Comment);
  f.Metadata("album", info.Album);
  f.Metadata("genre", info.Genre);
}

// What each extra stream takes from the per-stream lines, in this order.
const std::vector<std::string>& NamesTakenBy(const std::string& stream) {
  static const std::map<std::string, std::vector<std::string>, std::less<>> kTaken = {
      {"newaudio", {"acodec", "apre"}},
      {"newvideo", {"vcodec", "vpre", "s", "vf"}},
      {"newsubtitle", {"scodec", "spre"}}};
  static const std::vector<std::string> kNone;
  const auto found = kTaken.find(stream);
  return found == kTaken.end() ? kNone : found->second;
}

}  // namespace

std::string DurationText(std::int64_t us) {
  const std::uint64_t magnitude = us < 0 ? 0 - static_cast<std::uint64_t>(us) : static_cast<std::uint64_t>(us);
  char fraction[8];
  std::snprintf(fraction, sizeof fraction, "%06llu", static_cast<unsigned long long>(magnitude % 1000000));
  return (us < 0 ? "-" : "") + std::to_string(magnitude / 1000000) + "." + fraction;
}

std::vector<TOptionCall> PlanInputOptions(const TInputOptions& options) {
  std::vector<TOptionCall> calls;
  PassExtOptions(options.ExtOptions, true, calls);
  FieldCalls f(calls);
  f.Text("f", options.FileFormat);
  f.Time("ss", options.StartTime);
  if (options.ProgramID >= 0) f.Always("programid", std::to_string(options.ProgramID));
  return calls;
}

TOutputOptionPlan PlanOutputOptions(const TOutputOptions& o) {
  // The defaults list: the record's fields, else the first non-empty line of
  // that name. Every such line is also a per-stream value, in text order.
  std::map<std::string, std::string, std::less<>> defaults;
  const auto setDefault = [&defaults](const char* name, const std::string& value) {
    if (!value.empty()) defaults[name] = value;
  };
  setDefault("acodec", o.AudioCodec);
  setDefault("vcodec", o.VideoCodec);
  setDefault("scodec", o.SubtitleCodec);
  setDefault("apre", o.AudioPreset);
  setDefault("vpre", o.VideoPreset);
  setDefault("spre", o.SubtitlePreset);
  setDefault("s", o.FrameSize);
  setDefault("vf", o.VideoFilters);

  const std::vector<TExtOption> lines = ParseExtOptions(o.ExtOptions);
  std::vector<TOptionCall> streamValues;
  for (const TExtOption& line : lines) {
    if (line.Value.empty() || !kStreamValueNames.contains(line.Name)) continue;
    const std::string name = line.Name == "vfilters" ? "vf" : line.Name;
    defaults.try_emplace(name, line.Value);
    streamValues.push_back({name, line.Value});
  }

  TOutputOptionPlan plan;
  if (o.Target >= 1 && o.Target <= 3) {
    static const char* const kTypes[] = {"vcd", "svcd", "dvd"};
    const char* norm = o.TargetNorm == 1 ? "pal" : o.TargetNorm == 2 ? "ntsc" : "auto";
    plan.Target = TTargetCall{kTypes[o.Target - 1], norm, o.TargetDefaultNorm == 1 ? "pal" : "ntsc"};
  }

  std::vector<TOptionCall>& before = plan.BeforeCreate;
  const auto passDefault = [&](const char* option, const char* key) {
    if (const auto found = defaults.find(key); found != defaults.end()) before.push_back({option, found->second});
  };
  for (const char* name : {"acodec", "vcodec", "scodec", "apre", "vpre", "spre"}) passDefault(name, name);
  PassExtOptions(o.ExtOptions, false, before);
  PassRecordFields(o, before);
  passDefault("s", "s");
  passDefault("vf", "vf");

  for (const TExtOption& line : lines) {
    const std::vector<std::string>& taken = NamesTakenBy(line.Name);
    if (taken.empty()) continue;
    for (const std::string& name : taken) {
      std::string value;
      if (auto own = std::find_if(streamValues.begin(), streamValues.end(),
                                  [&name](const TOptionCall& v) { return v.Name == name; });
          own != streamValues.end()) {
        value = std::move(own->Value);
        streamValues.erase(own);
      } else if (const auto found = defaults.find(name); found != defaults.end()) {
        value = found->second;
      }
      // An absent default would change nothing; an empty "s" would even be rejected.
      if (!value.empty()) plan.AfterCreate.push_back({name, std::move(value)});
    }
    plan.AfterCreate.push_back({line.Name, line.Value});
  }
  return plan;
}

}  // namespace kx
