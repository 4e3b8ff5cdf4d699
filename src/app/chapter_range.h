#pragma once
// The four chapter buttons of the main window: each moves one end of the
// chapter range of the selected title within 1 … the title's chapter count,
// pulling the other end along so that the first never passes the last.
#include <optional>

namespace kx {

enum class ChapterButton { FirstUp, FirstDown, LastUp, LastDown };  // btnUp, btnDown, btnUp1, btnDown1

struct ChapterRange {
  int from = 0;
  int to = 0;
  bool operator==(const ChapterRange&) const = default;
};

// The range after one press; nullopt (no change) when the end that the
// button reads is below 1, as an empty or cleared field reads.
std::optional<ChapterRange> StepChapters(ChapterButton button, ChapterRange range, int chapterCount);

}  // namespace kx
