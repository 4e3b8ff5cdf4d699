// The texts of a title row and the chapter buttons' steps.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "app/chapter_range.h"
#include "app/title_row_texts.h"

namespace kx {
namespace {

TEST(TitleRowTexts, DurationIsTruncatedToWholeSeconds) {
  struct Case {
    double seconds;
    const char* text;
  };
  for (const Case& c : {Case{59, "0:00:59"}, Case{3599.9, "0:59:59"}, Case{5025, "1:23:45"},
                        Case{36000, "10:00:00"}, Case{0.99, "0:00:00"}, Case{-5, "0:00:00"},
                        Case{std::nan(""), "0:00:00"}, Case{360000 + 61, "100:01:01"}}) {
    SCOPED_TRACE(c.seconds);
    EXPECT_EQ(DurationText(c.seconds), c.text);
  }
}

TEST(TitleRowTexts, ColumnsOfANewRow) {
  TDVDTitleInfo info{};
  info.Duration = 4.96;
  info.Width = 720;
  info.Height = 576;
  info.VideoType = DVD_STREAM_MPEG2;
  const auto texts = TitleRowTexts(2, info);
  EXPECT_EQ(texts[colSource], "DVD Title 3");
  EXPECT_EQ(texts[colDuration], "   0:00:04");
  EXPECT_EQ(texts[colTrimLength], "   0:00:04");
  EXPECT_EQ(texts[colFrameSize], "   720 x 576");
  EXPECT_EQ(texts[colVideoFormat], "   MPEG-2");
  EXPECT_EQ(texts[colProgress], "");

  info.VideoType = 8;
  EXPECT_EQ(TitleRowTexts(0, info)[colVideoFormat], "   Unknown");
}

TEST(ChapterButtons, StepsKeepTheRangeWithinTheTitle) {
  using B = ChapterButton;
  struct Case {
    B button;
    ChapterRange before;
    int count;
    ChapterRange after;
  };
  const Case cases[] = {
      {B::FirstUp, {5, 5}, 5, {5, 5}},    // already at the last chapter
      {B::LastDown, {5, 5}, 5, {4, 4}},   // the first follows the last down
      {B::FirstUp, {2, 2}, 5, {3, 3}},    // the last follows the first up
      {B::FirstUp, {2, 4}, 5, {3, 4}},
      {B::FirstDown, {2, 4}, 5, {1, 4}},
      {B::FirstDown, {1, 4}, 5, {1, 4}},
      {B::LastUp, {2, 4}, 5, {2, 5}},
      {B::LastDown, {2, 4}, 5, {2, 3}},
      {B::FirstUp, {1, 1}, 1, {1, 1}},
      {B::FirstDown, {1, 1}, 1, {1, 1}},
      {B::LastUp, {1, 1}, 1, {1, 1}},
      {B::LastDown, {1, 1}, 1, {1, 1}},
      {B::LastDown, {3, 9}, 5, {3, 9}},   // a value beyond the count is not lowered
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << static_cast<int>(c.button) << " " << c.before.from << ".." << c.before.to);
    const auto after = StepChapters(c.button, c.before, c.count);
    ASSERT_TRUE(after.has_value());
    EXPECT_EQ(*after, c.after);
  }
}

TEST(ChapterButtons, FieldBelowOneChangesNothing) {
  EXPECT_FALSE(StepChapters(ChapterButton::FirstUp, {0, 3}, 5));
  EXPECT_FALSE(StepChapters(ChapterButton::LastDown, {1, 0}, 5));
  EXPECT_TRUE(StepChapters(ChapterButton::LastUp, {0, 3}, 5));  // reads only the last
}

}  // namespace
}  // namespace kx
