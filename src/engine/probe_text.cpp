#include "engine/probe_text.h"

#include <cinttypes>
#include <cmath>
#include <cstdio>
#include <cstring>

extern "C" {
#include <libavutil/dict.h>
}

namespace kx {
namespace {

template <class... Args>
std::string Format(const char* format, Args... args) {
  char text[512];
  std::snprintf(text, sizeof text, format, args...);
  return text;
}

const char* CommonName(const char* key) {
  static const char* const kNames[][2] = {
      {"TALB", "album"},     {"TAL", "album"},     {"TCOM", "composer"},   {"TCON", "genre"},
      {"TCO", "genre"},      {"TCOP", "copyright"}, {"TDRL", "date"},      {"TENC", "encoder"},
      {"TEN", "encoder"},    {"TIT2", "title"},    {"TT2", "title"},       {"TYER", "year"},
      {"TLAN", "language"},  {"TPE1", "artist"},   {"TP1", "artist"},      {"TPOS", "disc"},
      {"TPUB", "publisher"}, {"TRCK", "track"},    {"TRK", "track"},       {"TSOA", "albumsort"},
      {"TSOP", "authorsort"}, {"TSOT", "titlesort"},
  };
  for (const auto& name : kNames)
    if (std::strcmp(name[0], key) == 0) return name[1];
  return key;
}

}  // namespace

std::string SizeText(std::int64_t bytes) {
  const double size = static_cast<double>(bytes);
  if (bytes > (std::int64_t{1} << 30)) return Format("%.2f GB", size / (1 << 30));
  if (bytes > (std::int64_t{1} << 20)) return Format("%.2f MB", size / (1 << 20));
  if (bytes > 1024) return Format("%.2f KB", size / 1024);
  return Format("%" PRId64 " Byte", bytes);
}

std::string TimeText(std::int64_t us) {
  const std::int64_t seconds = us / 1000000;
  return Format("%.2" PRId64 ":%.2d:%.2d.%.3d", seconds / 3600, static_cast<int>(seconds / 60 % 60),
                static_cast<int>(seconds % 60), static_cast<int>(us / 1000 % 1000));
}

std::string SecondsText(std::int64_t us) {
  const char* sign = us < 0 ? "-" : "";
  const std::uint64_t magnitude = us < 0 ? 0 - static_cast<std::uint64_t>(us) : static_cast<std::uint64_t>(us);
  return Format("%s%" PRIu64 ".%.6" PRIu64, sign, magnitude / 1000000, magnitude % 1000000);
}

std::string RateText(double rate, const char* unit) {
  const long long hundredths = std::llround(rate * 100);
  if (hundredths % 100) return Format(", %3.2f %s", rate, unit);
  if (hundredths % (100 * 1000)) return Format(", %1.0f %s", rate, unit);
  return Format(", %1.0fk %s", rate / 1000, unit);
}

std::vector<std::string> MetadataLines(const AVDictionary* metadata, const std::string& prefix) {
  std::vector<std::string> lines;
  const AVDictionaryEntry* entry = nullptr;
  while ((entry = av_dict_get(metadata, "", entry, AV_DICT_IGNORE_SUFFIX))) {
    if (std::strcmp(entry->key, "language") == 0) continue;
    if (lines.empty()) lines.push_back(prefix + "Metadata:");
    char line[1024];
    std::snprintf(line, sizeof line, "%s  %-16s: ", prefix.c_str(), CommonName(entry->key));
    lines.push_back(line + std::string(entry->value));
  }
  return lines;
}

}  // namespace kx
