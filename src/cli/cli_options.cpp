#include "cli/cli_options.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cmath>
#include <cstdlib>

#include "profiles/profile_catalogue.h"

namespace kx::cli {

const char kUsageText[] = R"(Usage:
  kestrix-cli list DRIVE
  kestrix-cli profiles
  kestrix-cli convert DRIVE [options]

DRIVE is an optical drive's device (/dev/sr0), a DVD image (.iso) or a folder
holding VIDEO_TS.

list      prints the disc's titles as the title list shows them: number,
          duration, frame size, video format, chapters, and the audio and
          subtitle streams with their ids.
profiles  prints the format profiles with their codes; * marks the current one.
convert   converts titles with the profile's settings of the settings file,
          one output file per title, named as the window names them. Prints
          each output file; exits 0 when every title was converted, 1 when
          one failed (its error is printed), 2 on a usage error.

Options of convert:
  --title N              a title to convert (1-based; repeat for more)
  --all                  every title (the default)
  --profile CODE|NAME    the format profile (see "profiles"); default: the
                         current one of the settings file
  --chapters A-B         chapters A to B of each title
  --audio ID             the audio stream with this id (see "list")
  --subtitle ID|default  the subtitle stream with this id, or the default
  --trim START[+LENGTH]  seconds from the start of the chosen chapters, and
                         how many to convert (default: to the end)
  --out DIR              the output folder; default: the settings file's
  --help                 this text

Settings are those of the window: $KESTRIX_CONFIG_DIR, else
$XDG_CONFIG_HOME/kestrix-dvd-zune, else ~/.config/kestrix-dvd-zune. The
command line's choices are not stored.
)";

namespace {

int Number(const std::string& text, const std::string& what) {
  int value = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (text.empty() || error != std::errc() || end != text.data() + text.size())
    throw UsageError(what + " is not a number: " + text);
  return value;
}

// The program keeps the "C" locale, so the decimal separator is a point.
std::int64_t Microseconds(const std::string& text, const std::string& what) {
  char* end = nullptr;
  const double seconds = std::strtod(text.c_str(), &end);
  const bool ok = !text.empty() && end == text.c_str() + text.size();
  if (!ok || !std::isfinite(seconds) || seconds < 0 || seconds > 1e9)
    throw UsageError(what + " is no number of seconds: " + text);
  return std::llround(seconds * 1e6);
}

bool SameLetters(std::string_view a, std::string_view b) {
  return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](unsigned char x, unsigned char y) {
    return std::tolower(x) == std::tolower(y);
  });
}

}  // namespace

int ProfileCode(const std::string& codeOrName) {
  int code = -1;
  const auto [end, error] = std::from_chars(codeOrName.data(), codeOrName.data() + codeOrName.size(), code);
  if (!codeOrName.empty() && error == std::errc() && end == codeOrName.data() + codeOrName.size()) {
    if (!ProfileName(code).empty()) return code;
  } else {
    const auto groups = ProfileGroups();
    for (size_t g = 0; g < groups.size(); ++g)
      for (size_t e = 0; e < groups[g].names.size(); ++e)
        if (SameLetters(codeOrName, groups[g].names[e]))
          return FormatCode(static_cast<int>(g), static_cast<int>(e));
  }
  throw UsageError("no such profile: " + codeOrName);
}

ConvertOptions ParseConvertOptions(std::span<const std::string> args) {
  ConvertOptions options;
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i];
    const auto value = [&]() -> const std::string& {
      if (i + 1 >= args.size()) throw UsageError(arg + " needs a value");
      return args[++i];
    };
    if (arg == "--title") {
      const int title = Number(value(), "--title");
      if (title < 1) throw UsageError("titles count from 1");
      options.titles.push_back(title);
    } else if (arg == "--all") {
      options.titles.clear();
    } else if (arg == "--profile") {
      options.profile = value();
      ProfileCode(options.profile);
    } else if (arg == "--chapters") {
      const std::string& range = value();
      const size_t dash = range.find('-');
      if (dash == std::string::npos) throw UsageError("--chapters wants A-B: " + range);
      options.chapterFrom = Number(range.substr(0, dash), "--chapters");
      options.chapterTo = Number(range.substr(dash + 1), "--chapters");
      if (*options.chapterFrom < 1 || *options.chapterFrom > *options.chapterTo)
        throw UsageError("--chapters wants 1 <= A <= B: " + range);
    } else if (arg == "--audio") {
      options.audioId = Number(value(), "--audio");
    } else if (arg == "--subtitle") {
      const std::string& id = value();
      options.subtitleId = id == "default" ? 0 : Number(id, "--subtitle");
    } else if (arg == "--trim") {
      const std::string& trim = value();
      const size_t plus = trim.find('+');
      options.trimStartUs = Microseconds(trim.substr(0, plus), "--trim");
      if (plus != std::string::npos) {
        options.trimLengthUs = Microseconds(trim.substr(plus + 1), "--trim");
        if (options.trimLengthUs == 0) throw UsageError("--trim wants a length above 0: " + trim);
      }
    } else if (arg == "--out") {
      options.outDir = value();
    } else if (arg.starts_with("-")) {
      throw UsageError("unknown option " + arg);
    } else if (options.drive.empty()) {
      options.drive = arg;
    } else {
      throw UsageError("one drive only, not also " + arg);
    }
  }
  if (options.drive.empty()) throw UsageError("convert needs a DRIVE");
  return options;
}

}  // namespace kx::cli
