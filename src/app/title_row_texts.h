#pragma once
// The texts of one title list row, as the disc opening puts them there.
#include <array>
#include <string>

#include "dvddec/dvddec_api.h"

namespace kx {

// Columns of the title list in report view.
enum TitleColumn { colSource, colDuration, colTrimLength, colFrameSize, colVideoFormat, colProgress, kTitleColumnCount };

struct TitleColumnSpec {
  const char* caption;
  int widthPx;
};
extern const std::array<TitleColumnSpec, kTitleColumnCount> kTitleColumns;

// Whole seconds as H:MM:SS, truncated; negative counts as 0 (5025.9 -> "1:23:45").
std::string DurationText(double seconds);

// "DVD Title " + (titleIndex + 1), then the duration (twice: the trim length
// starts as the whole title), frame size and video format, each after three
// spaces; the progress cell starts empty.
std::array<std::string, kTitleColumnCount> TitleRowTexts(int titleIndex, const TDVDTitleInfo& info);

// An entry of the audio or subtitle list: the stream id in decimal, two
// spaces and the stream's description.
std::string StreamEntryText(const TDVDAudioInfo& stream);
std::string StreamEntryText(const TDVDSubtitleInfo& stream);

}  // namespace kx
