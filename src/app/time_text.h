#pragma once
// Times as the players and edit dialogs show them.
#include <cstdint>
#include <string>

namespace kx {

// "H:MM:SS" of whole seconds; negative counts as 0.
std::string PreviewTimeText(std::int64_t seconds);

}  // namespace kx
