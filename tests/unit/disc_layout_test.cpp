// Pieces of the plug-in's IFO reading that take raw disc values.
#include "dvddec/disc_layout.h"

#include <gtest/gtest.h>

#include "dvddec/language_names.h"

namespace kx::dvddec {
namespace {

struct TimeCase {
  dvd_time_t time;
  std::optional<double> seconds;
};

TEST(PlaybackSeconds, DecodesBcdAndFrameRate) {
  const TimeCase cases[] = {
      {{0x01, 0x23, 0x45, 0x40 | 0x12}, 3600 + 23 * 60 + 45 + 12 / 25.0},
      {{0x00, 0x00, 0x30, 0xC0 | 0x15}, 30 + 15 / (30000.0 / 1001.0)},
      {{0x10, 0x59, 0x59, 0x40 | 0x24}, 10 * 3600 + 59 * 60 + 59 + 24 / 25.0},
      {{0x00, 0x00, 0x08, 0x00}, 8.0},  // no rate code, no frames
      {{0x00, 0x00, 0x08, 0x05}, std::nullopt},  // frames without a rate
      {{0x00, 0x00, 0x08, 0x80 | 0x05}, std::nullopt},  // reserved rate code
      {{0x00, 0x1A, 0x00, 0x40}, std::nullopt},  // not a decimal digit
      {{0x00, 0x00, 0x00, 0x40 | 0x3A}, std::nullopt},
  };
  for (const TimeCase& c : cases) {
    SCOPED_TRACE(testing::Message() << std::hex << int(c.time.hour) << ":" << int(c.time.minute) << ":"
                                    << int(c.time.second) << "." << int(c.time.frame_u));
    std::optional<double> seconds = PlaybackSeconds(c.time);
    ASSERT_EQ(seconds.has_value(), c.seconds.has_value());
    if (seconds) {
      EXPECT_NEAR(*seconds, *c.seconds, 1e-9);
    }
  }
}

TEST(YCrCbToRgb, GivesTheColoursOfStudioRangeValues) {
  const std::pair<uint32_t, uint32_t> cases[] = {
      {0xEB8080, 0xFFFFFF}, {0x108080, 0x000000}, {0x7E8080, 0x808080},
      {0x51F05A, 0xFF0000},  // red: Y 81, Cr 240, Cb 90
      {0xFFFFFF, 0xFF7DFF},  // out of range is clamped
  };
  for (auto [ycrcb, rgb] : cases) {
    uint32_t got = YCrCbToRgb(ycrcb);
    for (int shift : {16, 8, 0})
      EXPECT_NEAR(int(got >> shift & 0xFF), int(rgb >> shift & 0xFF), 2) << std::hex << ycrcb << " -> " << got;
  }
}

TEST(LanguageName, NamesKnownCodesAndKeepsOthers) {
  EXPECT_EQ(LanguageName("en"), "English");
  EXPECT_EQ(LanguageName("de"), "German");
  EXPECT_EQ(LanguageName("zh"), "Chinese");
  EXPECT_EQ(LanguageName("ar"), "Arabic");
  EXPECT_EQ(LanguageName("qq"), "qq");
  EXPECT_EQ(LanguageName(""), "Unknown");
}

}  // namespace
}  // namespace kx::dvddec
