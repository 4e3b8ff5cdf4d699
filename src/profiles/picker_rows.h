#pragma once
// The rows of a profile picker's list, without the widget: group headings
// that expand and collapse, and profile rows under them. Each picker keeps
// its own instance. Main thread only.
#include <array>
#include <optional>
#include <string>
#include <vector>

namespace kx {

// One row of the list.
struct TItemInfo {
  bool IsProfile = false;
  bool IsGroup = false;
  bool Collapsed = false;  // group rows: the entries are not shown
  int Code = 0;            // group rows: the group number; profile rows: the format code
};

class PickerRows {
 public:
  static constexpr int kTableSize = 51;

  struct Row {
    TItemInfo info;
    std::string text;
  };

  // Fills the name table and the rows from the catalogue; each group starts
  // collapsed or expanded as `collapsed(group)` says.
  template <typename CollapsedOf>
  void Rebuild(CollapsedOf collapsed) {
    Clear();
    FillNames();
    for (int group = 0; group < GroupCount(); ++group) AddGroup(group, collapsed(group));
  }

  const std::vector<Row>& Rows() const { return rows_; }
  int Count() const { return static_cast<int>(rows_.size()); }

  // Expands a collapsed group row (its entries go right below it) or
  // collapses an expanded one (its entries go, later groups stay); false for
  // a row that is no group heading.
  bool Toggle(int row);

  // The first row whose text equals `name` trimmed, without regard to case.
  std::optional<int> RowOfName(const std::string& name) const;

 private:
  static int GroupCount();
  void Clear();
  void FillNames();
  void AddGroup(int group, bool collapsed);
  void Expand(int row);
  void Collapse(int row);

  // The display names by group and entry; empty cells are skipped.
  std::array<std::array<std::string, kTableSize>, kTableSize> names_;
  std::vector<Row> rows_;
};

}  // namespace kx
