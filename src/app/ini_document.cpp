#include "app/ini_document.h"

#include <algorithm>
#include <cctype>

namespace kx {
namespace {

std::string_view Trim(std::string_view s) {
  const auto blank = [](char c) { return c == ' ' || c == '\t'; };
  while (!s.empty() && blank(s.front())) s.remove_prefix(1);
  while (!s.empty() && blank(s.back())) s.remove_suffix(1);
  return s;
}

bool SameName(std::string_view a, std::string_view b) {
  return std::ranges::equal(
      a, b, [](unsigned char x, unsigned char y) { return std::tolower(x) == std::tolower(y); });
}

// "[name]" → name; anything else → none.
std::optional<std::string_view> SectionOf(std::string_view line) {
  line = Trim(line);
  if (line.empty() || line.front() != '[') return std::nullopt;
  const auto close = line.find(']');
  if (close == std::string_view::npos) return std::nullopt;
  return Trim(line.substr(1, close - 1));
}

bool IsComment(std::string_view line) {
  line = Trim(line);
  return !line.empty() && (line.front() == ';' || line.front() == '#');
}

// "key=value" → key; comments, lines without "=" and "=value" → none.
std::optional<std::string_view> KeyOf(std::string_view line) {
  if (IsComment(line)) return std::nullopt;
  const auto eq = line.find('=');
  if (eq == std::string_view::npos) return std::nullopt;
  const auto key = Trim(line.substr(0, eq));
  if (key.empty()) return std::nullopt;
  return key;
}

}  // namespace

IniDocument::IniDocument(std::string_view text) {
  std::size_t start = 0;
  while (start < text.size()) {
    auto end = text.find('\n', start);
    if (end == std::string_view::npos) end = text.size();
    std::string_view line = text.substr(start, end - start);
    if (!line.empty() && line.back() == '\r') {
      line.remove_suffix(1);
      if (lines_.empty()) eol_ = "\r\n";
    }
    lines_.emplace_back(line);
    start = end + 1;
  }
}

IniDocument::Place IniDocument::Find(std::string_view section, std::string_view key) const {
  Place place;
  bool inSection = false;
  bool inFirstSection = false;  // new keys go into the first section of that name
  for (std::size_t i = 0; i < lines_.size(); ++i) {
    if (const auto name = SectionOf(lines_[i])) {
      inSection = SameName(*name, section);
      inFirstSection = inSection && !place.sectionEnd;
      if (inFirstSection) place.sectionEnd = i + 1;
      continue;
    }
    if (!inSection) continue;
    if (const auto k = KeyOf(lines_[i]); k && SameName(*k, key)) {
      place.keyLine = i;
      return place;
    }
    if (inFirstSection && !Trim(lines_[i]).empty()) place.sectionEnd = i + 1;
  }
  return place;
}

std::optional<std::string> IniDocument::Value(std::string_view section, std::string_view key) const {
  const auto place = Find(section, key);
  if (!place.keyLine) return std::nullopt;
  const std::string_view line = lines_[*place.keyLine];
  return std::string(Trim(line.substr(line.find('=') + 1)));
}

void IniDocument::SetValue(std::string_view section, std::string_view key, std::string_view value) {
  std::string line = std::string(key) + "=" + std::string(value);
  const auto place = Find(section, key);
  if (place.keyLine) {
    lines_[*place.keyLine] = std::move(line);
  } else if (place.sectionEnd) {
    lines_.insert(lines_.begin() + static_cast<std::ptrdiff_t>(*place.sectionEnd), std::move(line));
  } else {
    lines_.push_back("[" + std::string(section) + "]");
    lines_.push_back(std::move(line));
  }
}

std::string IniDocument::Text() const {
  std::string text;
  for (const auto& line : lines_) text += line + eol_;
  return text;
}

}  // namespace kx
