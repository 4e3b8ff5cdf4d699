#include "profiles/picker_rows.h"

#include <algorithm>
#include <cctype>
#include <string_view>

#include "profiles/profile_catalogue.h"

namespace kx {
namespace {

std::string_view Trimmed(std::string_view s) {
  const auto blank = [](char c) { return std::isspace(static_cast<unsigned char>(c)) != 0; };
  while (!s.empty() && blank(s.front())) s.remove_prefix(1);
  while (!s.empty() && blank(s.back())) s.remove_suffix(1);
  return s;
}

bool SameTextIgnoringCase(std::string_view a, std::string_view b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
           return std::tolower(static_cast<unsigned char>(x)) == std::tolower(static_cast<unsigned char>(y));
         });
}

}  // namespace

int PickerRows::GroupCount() { return static_cast<int>(ProfileGroups().size()); }

void PickerRows::Clear() {
  for (auto& group : names_) group.fill({});
  rows_.clear();
}

void PickerRows::FillNames() {
  for (int group = 0; group < GroupCount(); ++group) {
    const auto names = ProfileGroups()[group].names;
    for (size_t entry = 0; entry < names.size() && entry < kTableSize; ++entry)
      names_[group][entry] = names[entry];
  }
}

void PickerRows::AddGroup(int group, bool collapsed) {
  rows_.push_back({TItemInfo{false, true, true, group}, std::string(ProfileGroups()[group].caption)});
  if (!collapsed) Expand(Count() - 1);
}

bool PickerRows::Toggle(int row) {
  if (row < 0 || row >= Count() || !rows_[row].info.IsGroup) return false;
  if (rows_[row].info.Collapsed)
    Expand(row);
  else
    Collapse(row);
  return true;
}

void PickerRows::Expand(int row) {
  Row& heading = rows_[row];
  if (!heading.info.Collapsed) return;
  const int group = heading.info.Code;
  std::vector<Row> entries;
  for (int entry = 0; entry < kTableSize; ++entry)
    if (!names_[group][entry].empty())
      entries.push_back({TItemInfo{true, false, false, FormatCode(group, entry)}, names_[group][entry]});
  heading.info.Collapsed = false;
  rows_.insert(rows_.begin() + row + 1, entries.begin(), entries.end());
}

void PickerRows::Collapse(int row) {
  auto first = rows_.begin() + row + 1;
  auto last = std::find_if(first, rows_.end(), [](const Row& r) { return !r.info.IsProfile; });
  rows_.erase(first, last);
  rows_[row].info.Collapsed = true;
}

std::optional<int> PickerRows::RowOfName(const std::string& name) const {
  const std::string_view wanted = Trimmed(name);
  for (int row = 0; row < Count(); ++row)
    if (SameTextIgnoringCase(rows_[row].text, wanted)) return row;
  return std::nullopt;
}

}  // namespace kx
