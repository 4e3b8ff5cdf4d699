#include "app/title_row_texts.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>

#include "dvd/dvd_plug_in.h"

namespace kx {

const std::array<TitleColumnSpec, kTitleColumnCount> kTitleColumns{{
    {"Source", 120},
    {"Duration", 70},
    {"Trim Length", 70},
    {"Frame Size", 70},
    {"Video Format", 85},
    {"Progress", 55},
}};

std::string DurationText(double seconds) {
  // NaN and negative durations come from damaged discs: both show 0:00:00.
  const long long whole = seconds > 0 ? static_cast<long long>(std::trunc(std::min(seconds, 1e15))) : 0;
  char text[32];
  std::snprintf(text, sizeof text, "%lld:%02lld:%02lld", whole / 3600, whole / 60 % 60, whole % 60);
  return text;
}

std::array<std::string, kTitleColumnCount> TitleRowTexts(int titleIndex, const TDVDTitleInfo& info) {
  const std::string pad = "   ";
  const std::string duration = pad + DurationText(info.Duration);
  return {"DVD Title " + std::to_string(titleIndex + 1),
          duration,
          duration,
          pad + std::to_string(info.Width) + " x " + std::to_string(info.Height),
          pad + DVDPlugIn::StreamTypeName(info.VideoType),
          ""};
}

std::string StreamEntryText(const TDVDAudioInfo& stream) {
  return std::to_string(static_cast<std::uint32_t>(stream.StreamId)) + "  " + DVDPlugIn::DescriptionOf(stream);
}

std::string StreamEntryText(const TDVDSubtitleInfo& stream) {
  return std::to_string(static_cast<std::uint32_t>(stream.StreamId)) + "  " + DVDPlugIn::DescriptionOf(stream);
}

}  // namespace kx
