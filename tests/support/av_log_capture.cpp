#include "av_log_capture.h"

#include <cstdarg>
#include <cstdio>
#include <mutex>

extern "C" {
#include <libavutil/log.h>
}

namespace kx::test {
namespace {

std::mutex gMutex;
std::vector<LogLine> gLines;

void Collect(void*, int level, const char* format, va_list args) {
  char text[4096];
  std::vsnprintf(text, sizeof text, format, args);
  std::string line(text);
  if (!line.empty() && line.back() == '\n') line.pop_back();
  const std::lock_guard lock(gMutex);
  gLines.push_back({level, line});
}

}  // namespace

AvLogCapture::AvLogCapture() {
  const std::lock_guard lock(gMutex);
  gLines.clear();
  av_log_set_callback(Collect);
}

AvLogCapture::~AvLogCapture() { av_log_set_callback(av_log_default_callback); }

std::vector<LogLine> AvLogCapture::Lines() const {
  const std::lock_guard lock(gMutex);
  return gLines;
}

bool AvLogCapture::Has(int level, const std::string& text) const {
  for (const LogLine& line : Lines())
    if (line.level == level && line.text == text) return true;
  return false;
}

bool AvLogCapture::Contains(const std::string& part) const {
  for (const LogLine& line : Lines())
    if (line.text.find(part) != std::string::npos) return true;
  return false;
}

}  // namespace kx::test
