#pragma once
// What the plug-in knows of a disc after reading its IFO files: per title the
// record handed to the program, and where each chapter's video lies. Every
// index and count from the disc is checked here; a title that fails a check is
// kept as a reason text instead of a layout, so the other titles stay usable.
#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include <dvdread/dvd_reader.h>
#include <dvdread/ifo_types.h>

#include "dvddec/dvddec_api.h"

namespace kx::dvddec {

// A run of sectors in the title set's VOB files.
struct Extent {
  uint32_t first = 0;
  uint32_t count = 0;
};

struct TitleLayout {
  TDVDTitleInfo info{};
  int titleSet = 0;
  // Per chapter, its cells of the first angle in playback order.
  std::vector<std::vector<Extent>> chapters;
  std::array<uint32_t, 16> palette{};  // 0x00RRGGBB
};

struct DiscTitle {
  std::optional<TitleLayout> layout;
  std::string problem;  // why layout is empty
};

// All titles of the disc in title order; nullopt when the disc has no readable
// video manager (not a DVD).
std::optional<std::vector<DiscTitle>> ReadDiscTitles(dvd_reader_t* dvd);

// Seconds of a playback time (BCD with the frame rate in the two top bits of
// the frame byte); nullopt when a digit or the rate code is invalid.
std::optional<double> PlaybackSeconds(const dvd_time_t& time);

// A palette entry 0x00YYCrCb as 0x00RRGGBB (ITU-R BT.601, studio range).
uint32_t YCrCbToRgb(uint32_t ycrcb);

}  // namespace kx::dvddec
