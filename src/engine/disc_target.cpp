#include "engine/disc_target.h"

#include <cmath>

#include "engine/ffmpeg_exception.h"
#include "engine/option_values.h"

namespace kx {
namespace {

std::optional<TNorm> NormByRate(AVRational rate) {
  if (rate.den == 0) return std::nullopt;
  const long milli = std::lround(av_q2d(rate) * 1000);
  if (milli == 25000) return TNorm::PAL;
  if (milli == 23976 || milli == 29970) return TNorm::NTSC;
  return std::nullopt;
}

}  // namespace

TTargetName SplitTargetName(const std::string& text) {
  const std::string target = Trim(text);
  for (const char* norm : {"pal", "ntsc", "film"}) {
    const std::string prefix = std::string(norm) + "-";
    if (target.starts_with(prefix)) return {target.substr(prefix.size()), norm};
  }
  return {target, "auto"};
}

std::optional<TNorm> NormByName(const std::string& norm) {
  if (norm == "pal") return TNorm::PAL;
  if (norm == "ntsc") return TNorm::NTSC;
  if (norm == "film") return TNorm::FILM;
  return std::nullopt;
}

TNorm DecideNorm(AVRational pendingRate, const std::vector<AVRational>& inputVideoRates, const std::string& fallback) {
  if (pendingRate.den == 0) throw FFmpegException("frame_rate is invalid.");
  if (const auto norm = NormByRate(pendingRate)) return *norm;
  for (const AVRational rate : inputVideoRates)
    if (const auto norm = NormByRate(rate)) return *norm;
  if (fallback == "film") return TNorm::FILM;
  if (fallback == "ntsc") return TNorm::NTSC;
  return TNorm::PAL;
}

TTargetSettings TargetSettings(const std::string& type, TNorm norm, const TPendingSettings& pending) {
  const bool pal = norm == TNorm::PAL;
  const auto size = [&](const char* ntscSize, const char* palSize) { return std::string(pal ? palSize : ntscSize); };
  const std::string rate = pal ? "25" : norm == TNorm::NTSC ? "30000/1001" : "24000/1001";
  const std::string gop = pal ? "15" : "18";

  TTargetSettings target;
  auto& o = target.options;
  const auto assumeAspect = [&](const char* aspect) {
    if (pending.frameAspectRatio != 0) return;
    o.emplace_back("aspect", aspect);
    target.notes.push_back(std::string("Assuming ") + aspect + " for aspect ratio");
  };
  const auto stereoForMono = [&] {
    if (pending.audioChannels == 1) o.emplace_back("ac", "2");
  };

  if (type == "vcd") {
    o = {{"vcodec", "mpeg1video"}, {"acodec", "mp2"}, {"f", "vcd"}, {"s", size("352x240", "352x288")},
         {"r", rate}, {"g", gop}, {"b", "1150000"}, {"maxrate", "1150000"}, {"minrate", "1150000"},
         {"bufsize", "327680"}, {"ab", "224000"}, {"ar", "44100"}, {"ac", "2"}, {"packetsize", "2324"},
         {"muxrate", "1411200"}, {"muxpreload", "0.44"}};
    assumeAspect("4:3");
  } else if (type == "svcd") {
    // The SVCD scan-offset reservation is an option of the MPEG-2 encoder now,
    // no longer a bit of the generic "flags".
    o = {{"vcodec", "mpeg2video"}, {"acodec", "mp2"}, {"f", "svcd"}, {"s", size("480x480", "480x576")},
         {"r", rate}, {"g", gop}, {"b", "2040000"}, {"maxrate", "2516000"}, {"minrate", "0"},
         {"bufsize", "1835008"}, {"scan_offset", "1"}, {"ab", "224000"}, {"ar", "44100"},
         {"packetsize", "2324"}};
    stereoForMono();
    assumeAspect("4:3");
  } else if (type == "dvd") {
    o = {{"vcodec", "mpeg2video"}, {"acodec", "ac3"}, {"f", "dvd"}, {"s", size("720x480", "720x576")},
         {"r", rate}, {"g", gop}, {"b", "6000000"}, {"maxrate", "9000000"}, {"minrate", "0"},
         {"bufsize", "1835008"}, {"packetsize", "2048"}, {"muxrate", "10080000"}, {"ab", "448000"},
         {"ar", "48000"}};
    stereoForMono();
    assumeAspect("16:9");
  } else if (type == "dv" || type == "dv50") {
    const char* pixFmt = type == "dv50" ? "yuv422p" : pal ? "yuv420p" : "yuv411p";
    o = {{"f", "dv"}, {"s", size("720x480", "720x576")}, {"pix_fmt", pixFmt}, {"r", rate}, {"g", gop},
         {"ar", "48000"}, {"ac", "2"}};
  } else {
    throw FFmpegException("Unknown target type");
  }
  return target;
}

}  // namespace kx
