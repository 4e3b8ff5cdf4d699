#pragma once
// Reading the texts of the profile INI files: letter case and numbers as
// the profile values write them.
#include <optional>
#include <string>
#include <string_view>

namespace kx {

// ASCII letters in lower case; other bytes as they are.
std::string Lower(std::string s);
// A complete signed decimal integer within int ("+" allowed, no blanks).
std::optional<int> AsInteger(std::string_view text);
// A complete finite decimal number with a point as separator (an integer is one too).
std::optional<double> AsNumber(std::string_view text);

}  // namespace kx
