// The trim dialog's arithmetic: typed times and what a confirmed range
// stores in the job record.
#include <gtest/gtest.h>

#include "app/title_row_texts.h"
#include "edit/trim_range.h"

namespace kx {
namespace {

TEST(TrimRangeTest, ShownTimesReadBack) {
  for (const std::int64_t seconds : {0, 59, 3725, 4000, 5400, 36000, 360000})
    EXPECT_EQ(HMSToSeconds(DurationText(seconds)), seconds) << DurationText(seconds);
}

TEST(TrimRangeTest, TypedTimes) {
  const std::pair<const char*, std::optional<std::int64_t>> cases[] = {
      {" 0:01:30 ", 90}, {"1:30", 90}, {"75", 75}, {"0:60:00", std::nullopt}, {"1:2:3:4", std::nullopt},
      {"1:", std::nullopt}, {"", std::nullopt}, {"-1", std::nullopt}, {"1:3x", std::nullopt}, {"abc", std::nullopt}};
  for (const auto& [text, seconds] : cases) EXPECT_EQ(HMSToSeconds(text), seconds) << '"' << text << '"';
}

TEST(TrimRangeTest, ConfirmedRangeBecomesMicroseconds) {
  struct Case {
    std::int64_t start, end, title;
    TTrimStore expected;
  };
  const Case cases[] = {
      {0, 5400, 5400, {0, 0, 5400}},                            // whole title: nothing trimmed
      {600, 1200, 5400, {600000000, 600000000, 600}},           // a middle part
      {600, 5400, 5400, {600000000, 4800000000, 4800}},         // from a start to the end
      {0, 30, 5400, {0, 30000000, 30}},                         // from the beginning
      {1200, 600, 5400, {1200000000, 0, 5400}},                 // crossed: from the start to the end
      {0, 6000, 5400, {0, 0, 5400}},                            // end beyond the title
      {0, 0, 0, {0, 0, 0}},                                     // nothing known of the title
  };
  for (const Case& c : cases) {
    const TTrimStore got = TrimToStore(c.start, c.end, c.title);
    EXPECT_EQ(got.TrimStart, c.expected.TrimStart) << c.start << ".." << c.end;
    EXPECT_EQ(got.TrimLength, c.expected.TrimLength) << c.start << ".." << c.end;
    EXPECT_EQ(got.LengthSec, c.expected.LengthSec) << c.start << ".." << c.end;
  }
}

}  // namespace
}  // namespace kx
