#pragma once
// Collects what the media libraries' log receives while an instance lives, so a
// test can check the lines the engine wrote through av_log.
#include <string>
#include <vector>

namespace kx::test {

struct LogLine {
  int level;
  std::string text;  // without the final line feed
};

class AvLogCapture {
 public:
  AvLogCapture();
  ~AvLogCapture();
  AvLogCapture(const AvLogCapture&) = delete;
  AvLogCapture& operator=(const AvLogCapture&) = delete;

  std::vector<LogLine> Lines() const;
  // A line equal to `text` at `level`.
  bool Has(int level, const std::string& text) const;
  // Any line that contains `part`.
  bool Contains(const std::string& part) const;
};

}  // namespace kx::test
