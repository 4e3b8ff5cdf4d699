#include "engine/x264_option_names.h"

#include <algorithm>
#include <array>
#include <string_view>

namespace kx {
namespace {

struct TValueName {
  std::string_view old;
  std::string_view now;
};

// Plain renames, with the values whose spelling changed.
struct TRename {
  std::string_view old;
  std::string_view now;
  std::vector<TValueName> values;
};

const std::array<TRename, 9> kRenames = {{
    {"me_method", "motion-est", {{"epzs", "dia"}, {"full", "esa"}}},
    {"directpred", "direct-pred", {{"0", "none"}, {"1", "spatial"}, {"2", "temporal"}, {"3", "auto"}}},
    {"wpredp", "weightp", {}},
    {"rc_lookahead", "rc-lookahead", {}},
    {"aq_mode", "aq-mode", {}},
    {"aq_strength", "aq-strength", {}},
    {"psy_rd", "psy-rd", {}},
    {"cqp", "qp", {}},
    {"nr", "noise_reduction", {}},
}};

// "flags2" bits that became options of their own: the value for "+bit" and "-bit".
struct TFlagOption {
  std::string_view bit;
  std::string_view option;
  std::string_view on;
  std::string_view off;
};

constexpr std::array<TFlagOption, 9> kFlags2 = {{
    {"wpred", "weightb", "1", "0"},
    {"dct8x8", "8x8dct", "1", "0"},
    {"mixed_refs", "mixed-refs", "1", "0"},
    {"bpyramid", "b-pyramid", "normal", "none"},
    {"fastpskip", "fast-pskip", "1", "0"},
    {"mbtree", "mbtree", "1", "0"},
    {"aud", "aud", "1", "0"},
    {"ssim", "ssim", "1", "0"},
    {"psy", "psy", "1", "0"},
}};

constexpr std::array<TValueName, 5> kPartitions = {{
    {"parti4x4", "i4x4"}, {"parti8x8", "i8x8"}, {"partp4x4", "p4x4"}, {"partp8x8", "p8x8"}, {"partb8x8", "b8x8"},
}};

struct TFlagItem {
  bool on;
  std::string name;
};

// "+a+b-c" (a leading item without sign is switched on).
std::vector<TFlagItem> SplitFlags(const std::string& value) {
  std::vector<TFlagItem> items;
  size_t pos = 0;
  while (pos < value.size()) {
    bool on = true;
    if (value[pos] == '+' || value[pos] == '-') on = value[pos++] == '+';
    const size_t end = value.find_first_of("+-", pos);
    const std::string name = value.substr(pos, end == std::string::npos ? std::string::npos : end - pos);
    if (!name.empty()) items.push_back({on, name});
    pos = end == std::string::npos ? value.size() : end;
  }
  return items;
}

std::vector<TOptionLine> TranslateFlags2(const std::string& value) {
  std::vector<TOptionLine> lines;
  std::string rest;  // bits the generic "flags2" still has
  for (const TFlagItem& item : SplitFlags(value)) {
    const auto it = std::find_if(kFlags2.begin(), kFlags2.end(), [&](const TFlagOption& f) { return f.bit == item.name; });
    if (it == kFlags2.end())
      rest += (item.on ? "+" : "-") + item.name;
    else
      lines.emplace_back(std::string(it->option), std::string(item.on ? it->on : it->off));
  }
  if (!rest.empty()) lines.emplace_back("flags2", rest);
  return lines;
}

// The old partition bits as the wrapper's list; an unknown bit keeps the line as it was.
std::vector<TOptionLine> TranslatePartitions(const std::string& value) {
  std::vector<std::string_view> chosen;
  for (const TFlagItem& item : SplitFlags(value)) {
    const auto it = std::find_if(kPartitions.begin(), kPartitions.end(), [&](const TValueName& p) { return p.old == item.name; });
    if (it == kPartitions.end()) return {{"partitions", value}};
    std::erase(chosen, it->now);
    if (item.on) chosen.push_back(it->now);
  }
  std::string list;
  for (std::string_view name : chosen) list += (list.empty() ? "" : ",") + std::string(name);
  return {{"partitions", list.empty() ? "none" : list}};
}

// The old wrapper's values for what a preset leaves unsaid.
const std::vector<TOptionLine> kOldDefaults = {
    {"bf", "0"},        {"8x8dct", "0"}, {"weightb", "0"}, {"weightp", "0"}, {"mixed-refs", "0"},
    {"b-pyramid", "none"}, {"fast-pskip", "0"}, {"mbtree", "0"}, {"aud", "0"},     {"ssim", "0"},
};

bool IsOldName(const std::string& name) {
  return name == "flags2" || name == "partitions" ||
         std::any_of(kRenames.begin(), kRenames.end(), [&](const TRename& r) { return r.old == name; });
}

}  // namespace

std::vector<TOptionLine> OldX264Defaults(const std::vector<TOptionLine>& preset) {
  const bool old = std::any_of(preset.begin(), preset.end(), [](const TOptionLine& line) { return IsOldName(line.first); });
  return old ? kOldDefaults : std::vector<TOptionLine>{};
}

std::vector<TOptionLine> TranslateX264Option(const std::string& name, const std::string& value) {
  if (name == "flags2") return TranslateFlags2(value);
  if (name == "partitions") return TranslatePartitions(value);
  const auto rename = std::find_if(kRenames.begin(), kRenames.end(), [&](const TRename& r) { return r.old == name; });
  if (rename == kRenames.end()) return {{name, value}};
  const auto spelled = std::find_if(rename->values.begin(), rename->values.end(),
                                    [&](const TValueName& v) { return v.old == value; });
  return {{std::string(rename->now), spelled == rename->values.end() ? value : std::string(spelled->now)}};
}

}  // namespace kx
