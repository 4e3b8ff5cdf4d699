#include "cli/progress_line.h"

#include <iostream>

#include "app/title_row_texts.h"
#include "conversion/progress_texts.h"

namespace kx::cli {

void ProgressLine::Report(const std::string& caption, const TProgressInfo& info, int tasksCount) {
  const auto now = std::chrono::steady_clock::now();
  if (info.TaskIndex != task_) {
    EndTask();
    task_ = info.TaskIndex;
    shownTenth_ = -1;
    taskStart_ = now;
  }
  const int percent = ProgressPercent(info.CurrentDuration, info.TotalDuration);
  if (!terminal_ && percent / 10 == shownTenth_) return;
  shownTenth_ = percent / 10;

  std::string line = caption + " " + TaskNumberText(info.TaskIndex, tasksCount) + " " + PercentText(percent);
  if (info.FPS >= 0) line += "  " + std::to_string(info.FPS) + " fps";
  if (info.CurrentDuration > 0 && info.TotalDuration > info.CurrentDuration) {
    const double elapsed = std::chrono::duration<double>(now - taskStart_).count();
    const double left = elapsed * static_cast<double>(info.TotalDuration - info.CurrentDuration) /
                        static_cast<double>(info.CurrentDuration);
    line += "  " + DurationText(left) + " left";
  }
  if (terminal_) {
    std::cerr << "\r\033[K" << line << std::flush;
    lineOpen_ = true;
  } else {
    std::cerr << line << '\n';
  }
}

void ProgressLine::EndTask() {
  if (lineOpen_) std::cerr << '\n';
  lineOpen_ = false;
}

}  // namespace kx::cli
