#include "dvddec/language_names.h"

#include <algorithm>
#include <array>
#include <string_view>
#include <utility>

namespace kx::dvddec {
namespace {

using Entry = std::pair<std::string_view, std::string_view>;

// Sorted by code for the binary search below.
constexpr std::array kLanguages = {
    Entry{"ar", "Arabic"},     Entry{"bg", "Bulgarian"},  Entry{"ca", "Catalan"},
    Entry{"cs", "Czech"},      Entry{"da", "Danish"},     Entry{"de", "German"},
    Entry{"el", "Greek"},      Entry{"en", "English"},    Entry{"es", "Spanish"},
    Entry{"et", "Estonian"},   Entry{"eu", "Basque"},     Entry{"fa", "Persian"},
    Entry{"fi", "Finnish"},    Entry{"fr", "French"},     Entry{"ga", "Irish"},
    Entry{"gl", "Galician"},   Entry{"he", "Hebrew"},     Entry{"hi", "Hindi"},
    Entry{"hr", "Croatian"},   Entry{"hu", "Hungarian"},  Entry{"id", "Indonesian"},
    Entry{"is", "Icelandic"},  Entry{"it", "Italian"},    Entry{"ja", "Japanese"},
    Entry{"ko", "Korean"},     Entry{"la", "Latin"},      Entry{"lt", "Lithuanian"},
    Entry{"lv", "Latvian"},    Entry{"ms", "Malay"},      Entry{"nl", "Dutch"},
    Entry{"no", "Norwegian"},  Entry{"pl", "Polish"},     Entry{"pt", "Portuguese"},
    Entry{"ro", "Romanian"},   Entry{"ru", "Russian"},    Entry{"sk", "Slovak"},
    Entry{"sl", "Slovenian"},  Entry{"sr", "Serbian"},    Entry{"sv", "Swedish"},
    Entry{"th", "Thai"},       Entry{"tr", "Turkish"},    Entry{"uk", "Ukrainian"},
    Entry{"vi", "Vietnamese"}, Entry{"zh", "Chinese"},
};

static_assert(std::is_sorted(kLanguages.begin(), kLanguages.end()));

}  // namespace

std::string LanguageName(const std::string& code) {
  if (code.empty()) return "Unknown";
  auto it = std::lower_bound(kLanguages.begin(), kLanguages.end(), code,
                             [](const Entry& entry, const std::string& key) { return entry.first < key; });
  if (it != kLanguages.end() && it->first == code) return std::string(it->second);
  return code;
}

}  // namespace kx::dvddec
