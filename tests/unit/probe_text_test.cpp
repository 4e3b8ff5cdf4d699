#include <gtest/gtest.h>

#include "engine/probe_text.h"

extern "C" {
#include <libavutil/dict.h>
}

namespace kx {
namespace {

TEST(ProbeText, Sizes) {
  const std::pair<std::int64_t, const char*> kCases[] = {
      {0, "0 Byte"},           {1024, "1024 Byte"},         {1025, "1.00 KB"},
      {1048576, "1024.00 KB"}, {3000000, "2.86 MB"},        {1073741824, "1024.00 MB"},
      {1073741825, "1.00 GB"}, {5000000000LL, "4.66 GB"},
  };
  for (const auto& [bytes, text] : kCases) EXPECT_EQ(SizeText(bytes), text) << bytes;
}

TEST(ProbeText, Times) {
  const std::pair<std::int64_t, const char*> kCases[] = {
      {0, "00:00:00.000"},
      {3723456789LL, "01:02:03.456"},
      {59999999, "00:00:59.999"},
      {360000000000LL, "100:00:00.000"},
  };
  for (const auto& [us, text] : kCases) EXPECT_EQ(TimeText(us), text) << us;
  EXPECT_EQ(SecondsText(1500000), "1.500000");
  EXPECT_EQ(SecondsText(42), "0.000042");
  EXPECT_EQ(SecondsText(-500000), "-0.500000");
}

TEST(ProbeText, Rates) {
  const std::tuple<double, const char*, const char*> kCases[] = {
      {25.0, "fps", ", 25 fps"},      {30000.0 / 1001, "fps", ", 29.97 fps"}, {23.976, "tbr", ", 23.98 tbr"},
      {90000.0, "tbn", ", 90k tbn"},  {1000.0, "tbn", ", 1k tbn"},            {12800.0, "tbn", ", 12800 tbn"},
  };
  for (const auto& [rate, unit, text] : kCases) EXPECT_EQ(RateText(rate, unit), text) << rate;
}

TEST(ProbeText, MetadataBlock) {
  AVDictionary* metadata = nullptr;
  EXPECT_TRUE(MetadataLines(metadata, "").empty());
  av_dict_set(&metadata, "language", "eng", 0);
  EXPECT_TRUE(MetadataLines(metadata, "  ").empty());
  av_dict_set(&metadata, "TIT2", "Song", 0);
  av_dict_set(&metadata, "encoder", "Lavf59", 0);
  const std::vector<std::string> expected = {"  Metadata:", "    title           : Song",
                                             "    encoder         : Lavf59"};
  EXPECT_EQ(MetadataLines(metadata, "  "), expected);
  av_dict_free(&metadata);
}

}  // namespace
}  // namespace kx
