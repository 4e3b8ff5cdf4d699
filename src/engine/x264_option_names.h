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

}  // namespace kx
