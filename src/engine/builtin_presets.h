#pragma once
// The built-in encoder presets: a name and a text of "name=value" lines in the
// preset text format (the same as a preset file).
#include <array>
#include <string_view>

namespace kx {

struct TOptionsPreset {
  std::string_view name;
  std::string_view text;
};

constexpr int kBuiltinPresetCount = 40;

const std::array<TOptionsPreset, kBuiltinPresetCount>& BuiltinPresets();

// By name, without regard to case; null when absent.
const TOptionsPreset* FindBuiltinPreset(std::string_view name);

}  // namespace kx
