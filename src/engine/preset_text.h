#pragma once
// Preset texts and preset files: "name=value" lines.
#include <string>
#include <vector>

#include "engine/x264_option_names.h"

namespace kx {

// The option lines of a preset text; `preset` names it in the error text.
std::vector<TOptionLine> ParsePresetText(const std::string& preset, const std::string& text);

// The whole text of the preset file `name`: the name as given, else, for a
// relative name, the same name in each of `folders` in turn.
std::string ReadPresetFile(const std::string& name, const std::vector<std::string>& folders);

}  // namespace kx
