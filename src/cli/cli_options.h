#pragma once
// The command line of kestrix-cli. Parsing only: what the arguments ask for,
// checked for form; whether a disc has the titles, chapters and streams
// named is decided once the disc is read.
#include <cstdint>
#include <optional>
#include <span>
#include <stdexcept>
#include <string>
#include <vector>

namespace kx::cli {

// A command line that does not say what to do; exit status 2.
class UsageError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

extern const char kUsageText[];

struct ConvertOptions {
  std::string drive;
  std::vector<int> titles;  // 1-based title numbers; empty: every title
  std::string profile;      // format code or display name; empty: the current profile
  std::optional<int> chapterFrom, chapterTo;
  std::optional<int> audioId;
  std::optional<int> subtitleId;  // 0: "Default"
  std::int64_t trimStartUs = 0;
  std::int64_t trimLengthUs = 0;  // 0: to the end
  std::string outDir;             // empty: the output folder of the settings
};

// The arguments after "convert".
ConvertOptions ParseConvertOptions(std::span<const std::string> args);

// A format code of the catalogue, given as its number or its display name
// (letter case aside).
int ProfileCode(const std::string& codeOrName);

}  // namespace kx::cli
