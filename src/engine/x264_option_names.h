#pragma once
// Preset texts speak the x264 option names of older libraries (me_method,
// directpred, flags2=-dct8x8, partitions=+parti4x4 ...). This turns one such
// line into the options of the installed libx264 wrapper that give the same
// x264 settings; names it does not know pass unchanged.
#include <string>
#include <utility>
#include <vector>

namespace kx {

using TOptionLine = std::pair<std::string, std::string>;

std::vector<TOptionLine> TranslateX264Option(const std::string& name, const std::string& value);

// A preset that speaks the old names was written for the old wrapper, which set
// every x264 switch from its "flags2" bit (absent: off) and had no B-frames by
// default. These lines, applied before the preset's own, restore that meaning
// (so an iPod or PSP preset keeps to its profile); none for a preset in today's names.
std::vector<TOptionLine> OldX264Defaults(const std::vector<TOptionLine>& preset);

}  // namespace kx
