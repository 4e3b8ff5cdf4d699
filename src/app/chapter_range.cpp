#include "app/chapter_range.h"

namespace kx {

std::optional<ChapterRange> StepChapters(ChapterButton button, ChapterRange range, int chapterCount) {
  const bool movesFirst = button == ChapterButton::FirstUp || button == ChapterButton::FirstDown;
  const bool up = button == ChapterButton::FirstUp || button == ChapterButton::LastUp;
  int v = movesFirst ? range.from : range.to;
  if (v < 1) return std::nullopt;
  if (up && v < chapterCount) ++v;
  if (!up && v > 1 && v <= chapterCount) --v;
  if (movesFirst) {
    range.from = v;
    if (range.to < v) range.to = v;
  } else {
    range.to = v;
    if (v < range.from) range.from = v;
  }
  return range;
}

}  // namespace kx
