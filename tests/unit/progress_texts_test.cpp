// What the progress window and the "Progress" column show for a report, and
// where the preview picture lands in its box.
#include <gtest/gtest.h>

#include "conversion/picture_fit.h"
#include "conversion/progress_texts.h"

namespace kx {
namespace {

struct PercentCase {
  std::int64_t currentUs, totalUs;
  int percent;
};

class ProgressPercentTest : public ::testing::TestWithParam<PercentCase> {};

TEST_P(ProgressPercentTest, WholePercentOfTheExpectedLength) {
  EXPECT_EQ(ProgressPercent(GetParam().currentUs, GetParam().totalUs), GetParam().percent);
}

INSTANTIATE_TEST_SUITE_P(Reports, ProgressPercentTest,
                         ::testing::Values(PercentCase{30'000'000, 120'000'000, 25},
                                           PercentCase{119'999'999, 120'000'000, 99},
                                           PercentCase{5'000'000, -1, 0},  // total unknown
                                           PercentCase{5'000'000, 0, 0},
                                           // Ten hours in: no overflow of the product.
                                           PercentCase{36'000'000'000, 72'000'000'000, 50},
                                           PercentCase{120'040'000, 120'000'000, 100}));

TEST(ProgressTexts, LabelsInWholeUnits) {
  EXPECT_EQ(ProgressSecondsText(30'000'000), "30 Second");
  EXPECT_EQ(ProgressSecondsText(120'999'999), "120 Second");
  EXPECT_EQ(ProgressSizeText(999), "0 kb");
  EXPECT_EQ(ProgressSizeText(1'500'000), "1500 kb");
  EXPECT_EQ(TaskNumberText(1, 3), "[2/3]");
  EXPECT_EQ(PercentText(25), "25%");
}

struct CaptionCase {
  std::string caption, shown;
};

class ShortCaptionTest : public ::testing::TestWithParam<CaptionCase> {};

TEST_P(ShortCaptionTest, LongCaptionsKeepTheirExtension) {
  EXPECT_EQ(ShortCaption(GetParam().caption), GetParam().shown);
}

INSTANTIATE_TEST_SUITE_P(
    Captions, ShortCaptionTest,
    ::testing::Values(CaptionCase{"DVD Title 1", "DVD Title 1"},
                      CaptionCase{std::string(50, 'a'), std::string(50, 'a')},
                      CaptionCase{std::string(47, 'a') + ".mpg", std::string(44, 'a') + "...mpg"},
                      CaptionCase{std::string(51, 'a'), std::string(44, 'a') + ".."},
                      // Characters, not bytes: 50 two-byte letters stay whole, and a cut never splits one.
                      CaptionCase{[] { std::string s; for (int i = 0; i < 50; ++i) s += "é"; return s; }(),
                                  [] { std::string s; for (int i = 0; i < 50; ++i) s += "é"; return s; }()},
                      CaptionCase{[] { std::string s; for (int i = 0; i < 60; ++i) s += "é"; return s + ".vob"; }(),
                                  [] { std::string s; for (int i = 0; i < 44; ++i) s += "é"; return s + "...vob"; }()}));

struct FitCase {
  int W, H, w, h;
  FitRect rect;
};

class PictureFitTest : public ::testing::TestWithParam<FitCase> {};

TEST_P(PictureFitTest, FitsCentredWithItsShape) {
  const FitCase& c = GetParam();
  EXPECT_EQ(FitPicture(c.W, c.H, c.w, c.h), c.rect);
}

INSTANTIATE_TEST_SUITE_P(Pictures, PictureFitTest,
                         ::testing::Values(FitCase{396, 224, 320, 240, {49, 0, 298, 224}},   // bars left and right
                                           FitCase{396, 224, 720, 288, {0, 33, 396, 158}},   // bars above and below
                                           FitCase{400, 300, 800, 600, {0, 0, 400, 300}},    // same shape
                                           FitCase{396, 224, 1, 1, {86, 0, 224, 224}}));     // enlarged

}  // namespace
}  // namespace kx
