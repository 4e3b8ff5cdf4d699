#pragma once
// The progress of a conversion on standard error: on a terminal one line
// rewritten in place (percent, frames per second, time left); otherwise a
// plain line at every tenth of a task. Main thread.
#include <chrono>
#include <string>

#include "engine/event_records.h"

namespace kx::cli {

class ProgressLine {
 public:
  explicit ProgressLine(bool terminal) : terminal_(terminal) {}

  void Report(const std::string& caption, const TProgressInfo& info, int tasksCount);
  // Ends the line of the task in progress, if one is shown.
  void EndTask();

 private:
  bool terminal_;
  int task_ = -1;
  int shownTenth_ = -1;
  bool lineOpen_ = false;
  std::chrono::steady_clock::time_point taskStart_;
};

}  // namespace kx::cli
