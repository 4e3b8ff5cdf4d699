#include "engine/option_records.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <ctime>

namespace kx {
namespace {

// Days between 1899-12-30 and 1970-01-01.
constexpr double kUnixEpochDays = 25569.0;

bool IsBlank(char c) { return static_cast<unsigned char>(c) <= ' '; }

void ReplaceAll(std::string& text, const std::string& from, const std::string& to) {
  for (std::size_t at = text.find(from); at != std::string::npos; at = text.find(from, at + to.size()))
    text.replace(at, from.size(), to);
}

}  // namespace

void InitInputOptions(TInputOptions& options) { options = TInputOptions{}; }

void InitOutputOptions(TOutputOptions& options) { options = TOutputOptions{}; }

std::vector<TExtOption> ParseExtOptions(const std::string& text) {
  std::size_t first = 0, last = text.size();
  while (first < last && IsBlank(text[first])) ++first;
  while (last > first && IsBlank(text[last - 1])) --last;
  std::string lines = text.substr(first, last - first);
  ReplaceAll(lines, "\r\n", "\n");
  ReplaceAll(lines, "\r", "\n");
  ReplaceAll(lines, "<CRLF>", "\n");

  std::vector<TExtOption> result;
  std::size_t start = 0;
  while (start <= lines.size()) {
    std::size_t end = std::min(lines.find('\n', start), lines.size());
    std::string line = lines.substr(start, end - start);
    start = end + 1;
    if (std::all_of(line.begin(), line.end(), IsBlank)) continue;
    std::size_t eq = line.find('=');
    TExtOption option{line.substr(0, eq), eq == std::string::npos ? std::string() : line.substr(eq + 1)};
    std::transform(option.Name.begin(), option.Name.end(), option.Name.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    result.push_back(std::move(option));
  }
  return result;
}

std::optional<std::int64_t> StreamTimeStampSeconds(const TStreamInfo& info) {
  if (info.TimeStamp < 0) return std::nullopt;
  if (info.TimeStamp == 0) return static_cast<std::int64_t>(std::time(nullptr));
  tzset();
  // `timezone` is the standard offset in seconds west of UTC, which is what
  // the bias in minutes (UTC minus local) means.
  const double biasMinutes = static_cast<double>(timezone) / 60.0;
  return std::llround((info.TimeStamp - kUnixEpochDays + biasMinutes / 1440.0) * 86400.0);
}

}  // namespace kx
