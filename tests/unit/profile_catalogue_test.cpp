#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "app/settings_store.h"
#include "profiles/picker_rows.h"
#include "profiles/profile_catalogue.h"
#include "support/test_env.h"

namespace kx {
namespace {

std::vector<int> Codes(const PickerRows& rows) {
  std::vector<int> codes;
  for (const auto& row : rows.Rows()) codes.push_back(row.info.IsGroup ? -1 - row.info.Code : row.info.Code);
  return codes;
}

// Group headings show as -1 - group, profile rows as their code.
TEST(PickerRows, GroupsExpandAndCollapseInPlace) {
  PickerRows rows;
  rows.Rebuild([](int) { return true; });
  EXPECT_EQ(Codes(rows), (std::vector<int>{-1, -2, -3}));
  EXPECT_EQ(rows.Rows()[1].text, "General Video formates");

  ASSERT_TRUE(rows.Toggle(2));  // audio group
  ASSERT_TRUE(rows.Toggle(1));  // video group
  EXPECT_EQ(Codes(rows), (std::vector<int>{-1, -2, 100, 101, 102, 103, 104, 105, 106, 107, 108, 109, -3, 200, 201,
                                           202, 203, 204, 205, 206}));
  EXPECT_EQ(rows.Rows()[6].text, "AVI Video (*.avi)");
  EXPECT_TRUE(rows.Rows()[6].info.IsProfile);
  EXPECT_FALSE(rows.Rows()[1].info.Collapsed);

  ASSERT_TRUE(rows.Toggle(1));
  EXPECT_EQ(Codes(rows), (std::vector<int>{-1, -2, -3, 200, 201, 202, 203, 204, 205, 206}));
  EXPECT_TRUE(rows.Rows()[1].info.Collapsed);
  EXPECT_FALSE(rows.Toggle(3));  // a profile row is no group
  EXPECT_FALSE(rows.Toggle(10));
}

TEST(PickerRows, RebuildTakesEachGroupState) {
  PickerRows rows;
  rows.Rebuild([](int group) { return group != 0; });
  EXPECT_EQ(Codes(rows), (std::vector<int>{-1, 0, 1, 2, -2, -3}));
  EXPECT_EQ(rows.Rows()[3].text, "ZUNE - Windows Media Video (*.wmv)");
  rows.Rebuild([](int) { return true; });
  EXPECT_EQ(rows.Count(), 3);
}

struct NameCase {
  const char* name;
  std::optional<int> row;
};

class RowOfNameTest : public ::testing::TestWithParam<NameCase> {};

TEST_P(RowOfNameTest, MatchesTrimmedWithoutCase) {
  PickerRows rows;
  rows.Rebuild([](int) { return false; });
  EXPECT_EQ(rows.RowOfName(GetParam().name), GetParam().row);
}

INSTANTIATE_TEST_SUITE_P(Names, RowOfNameTest,
                         ::testing::Values(NameCase{"ZUNE - MPEG-4 AVC Video (*.mp4)", 2},
                                           NameCase{"  avi video (*.AVI) ", 9},
                                           NameCase{"General Audio formates", 15},
                                           NameCase{"AVI Video", std::nullopt}, NameCase{"", std::nullopt}));

TEST(ProfileCatalogue, NamesAndSections) {
  EXPECT_EQ(ProfileName(104), "AVI Video (*.avi)");
  EXPECT_EQ(ProfileName(206), "AC-3 Audio Codec (*.ac3)");
  EXPECT_EQ(ProfileName(3), "");
  EXPECT_EQ(ProfileName(110), "");
  EXPECT_EQ(ProfileName(300), "");
  EXPECT_EQ(ProfileName(-100), "");
  EXPECT_EQ(FormatSection(0), "formatInfo0");
  EXPECT_EQ(FormatSection(103), "formatInfo103");
}

// With nothing stored the name shown is that of the profile in use.
TEST(ProfileCatalogue, CurrentProfileAndGroupStates) {
  const std::string ini = test::ScratchDir("current_profile") + "/settings.ini";
  CurrentProfile current = ReadCurrentProfile(ini);
  EXPECT_EQ(current.code, 1);
  EXPECT_EQ(current.name, "ZUNE - MPEG-4 AVC Video (*.mp4)");
  EXPECT_TRUE(ReadGroupCollapsed(ini, 2));

  StoreCurrentProfile(ini, "AVI Video (*.avi)", 104);
  StoreGroupCollapsed(ini, 2, false);
  EXPECT_EQ(ReadString(ini, "settings", "FormatName", ""), "AVI Video (*.avi)");
  EXPECT_EQ(ReadString(ini, "settings", "FormatCode", ""), "104");
  EXPECT_EQ(ReadString(ini, "lstformat", "2", ""), "0");
  EXPECT_FALSE(ReadGroupCollapsed(ini, 2));

  WriteString(ini, "settings", "FormatName", "Some older name");
  current = ReadCurrentProfile(ini);
  EXPECT_EQ(current.name, "Some older name");
  EXPECT_EQ(current.code, 104);
}

}  // namespace
}  // namespace kx
