#pragma once
// What the progress window and the title list's "Progress" column show for a
// progress report. Pure functions.
#include <cstdint>
#include <string>

namespace kx {

// CurrentDuration × 100 div TotalDuration within 0 … 100; 0 while the
// total is unknown.
int ProgressPercent(std::int64_t currentUs, std::int64_t totalUs);
// The "Progress" cell: "25%".
std::string PercentText(int percent);
// Whole seconds, truncated: "30 Second".
std::string ProgressSecondsText(std::int64_t us);
// Whole kilobytes of 1000 bytes, truncated: "1500 kb".
std::string ProgressSizeText(std::int64_t bytes);
// "[2/3]" for task index 1 of 3.
std::string TaskNumberText(int taskIndex, int tasksCount);
// A caption shorter than 51 characters as it is; a longer one cut to its
// first 44 characters + ".." + its extension (from its last "." on).
// Characters are UTF-8 code points.
std::string ShortCaption(const std::string& caption);

}  // namespace kx
