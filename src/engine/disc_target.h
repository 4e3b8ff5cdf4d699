#pragma once
// Disc targets ("vcd", "svcd", "dvd", "dv", "dv50") as option lines, and the
// norm rule that picks PAL, NTSC or FILM.
#include <optional>
#include <string>
#include <vector>

extern "C" {
#include <libavutil/rational.h>
}

#include "engine/pending_settings.h"
#include "engine/x264_option_names.h"

namespace kx {

enum class TNorm { PAL, NTSC, FILM };

struct TTargetName {
  std::string type;
  std::string norm;  // "pal", "ntsc", "film" or "auto"
};

// "pal-dvd" → {"dvd", "pal"}; without a norm prefix the norm is "auto".
TTargetName SplitTargetName(const std::string& text);

// "pal", "ntsc" or "film"; none for anything else (decided automatically).
std::optional<TNorm> NormByName(const std::string& norm);

// The automatic rule: the pending frame rate, then the frame rates of the
// opened inputs' video streams in order, then the fallback norm.
TNorm DecideNorm(AVRational pendingRate, const std::vector<AVRational>& inputVideoRates,
                 const std::string& fallback);

struct TTargetSettings {
  std::vector<TOptionLine> options;  // to be applied in order
  std::vector<std::string> notes;    // info lines about assumed values
};

// The settings of a target type; raises "Unknown target type". `pending` tells
// whether an aspect ratio or a single audio channel is already asked for.
TTargetSettings TargetSettings(const std::string& type, TNorm norm, const TPendingSettings& pending);

}  // namespace kx
