#include "edit/trim_range.h"

#include <sstream>

namespace kx {

namespace {
constexpr std::int64_t kMicrosPerSecond = 1000000;
}

std::optional<std::int64_t> HMSToSeconds(const std::string& text) {
  std::istringstream in(text);
  std::int64_t parts[3];
  int count = 0;
  char separator = ':';
  while (count < 3 && separator == ':') {
    if (!(in >> parts[count]) || parts[count] < 0) return std::nullopt;
    ++count;
    if (!(in >> separator)) break;
    if (separator != ':') return std::nullopt;
  }
  if (in >> separator) return std::nullopt;  // more than three fields, or trailing text
  std::int64_t seconds = 0;
  for (int i = 0; i < count; ++i) {
    if (i > 0 && parts[i] >= 60) return std::nullopt;
    seconds = seconds * 60 + parts[i];
  }
  return seconds;
}

TTrimStore TrimToStore(std::int64_t startSec, std::int64_t endSec, std::int64_t titleSec) {
  TTrimStore store;
  const bool inside = startSec >= 0 && endSec > 0 && startSec < endSec && endSec <= titleSec;
  store.LengthSec = inside ? endSec - startSec : titleSec;
  if (store.LengthSec <= 0) return store;
  if (startSec > 0) store.TrimStart = startSec * kMicrosPerSecond;
  if (store.LengthSec >= 1 && store.LengthSec < titleSec) store.TrimLength = store.LengthSec * kMicrosPerSecond;
  return store;
}

}  // namespace kx
