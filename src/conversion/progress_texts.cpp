#include "conversion/progress_texts.h"

#include <algorithm>
#include <cstddef>

namespace kx {
namespace {

bool IsContinuationByte(char c) { return (static_cast<unsigned char>(c) & 0xC0) == 0x80; }

std::size_t CodePoints(const std::string& text) {
  std::size_t count = 0;
  for (char c : text) count += IsContinuationByte(c) ? 0 : 1;
  return count;
}

// The bytes of the first `n` code points.
std::string FirstCodePoints(const std::string& text, std::size_t n) {
  std::size_t end = 0;
  for (std::size_t seen = 0; end < text.size(); ++end) {
    if (!IsContinuationByte(text[end]) && seen++ == n) break;
  }
  return text.substr(0, end);
}

}  // namespace

int ProgressPercent(std::int64_t currentUs, std::int64_t totalUs) {
  if (totalUs <= 0) return 0;
  // The output may run a frame past the expected length.
  return static_cast<int>(std::clamp<std::int64_t>(currentUs * 100 / totalUs, 0, 100));
}

std::string PercentText(int percent) { return std::to_string(percent) + "%"; }

std::string ProgressSecondsText(std::int64_t us) { return std::to_string(us / 1000000) + " Second"; }

std::string ProgressSizeText(std::int64_t bytes) { return std::to_string(bytes / 1000) + " kb"; }

std::string TaskNumberText(int taskIndex, int tasksCount) {
  return "[" + std::to_string(taskIndex + 1) + "/" + std::to_string(tasksCount) + "]";
}

std::string ShortCaption(const std::string& caption) {
  if (CodePoints(caption) < 51) return caption;
  const std::size_t dot = caption.rfind('.');
  return FirstCodePoints(caption, 44) + ".." + (dot == std::string::npos ? "" : caption.substr(dot));
}

}  // namespace kx
