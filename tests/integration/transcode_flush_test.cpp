// What stages hold back until the end of the input reaches the output: the
// pictures a look-ahead filter keeps, and a two-pass encoder's statistics.
#include <filesystem>
#include <fstream>
#include <sstream>

#include "transcode_helpers.h"

namespace kx::test {
namespace {

namespace fs = std::filesystem;

class TranscodeFlushTest : public testing::Test {
 protected:
  void SetUp() override { LoadPlugIn(); }
};

struct FilterCase {
  const char* name;
  OptionList options;
};

void PrintTo(const FilterCase& c, std::ostream* os) { *os << c.name; }

class HeldPicturesTest : public TranscodeFlushTest, public testing::WithParamInterface<FilterCase> {};

TEST_P(HeldPicturesTest, EveryPictureOfTheWindowIsEncoded) {
  const FilterCase& c = GetParam();
  const std::string output = ScratchDir(std::string("held_") + c.name) + "/out.mp4";
  TitleJob job;
  job.outputOptions = {{"s", "320x240"}, {"vcodec", "libx264"}, {"acodec", "aac"}, {"t", "2"}};
  job.outputOptions.insert(job.outputOptions.end(), c.options.begin(), c.options.end());
  ASSERT_TRUE(Convert(job, output));
  const DecodedMedia media = DecodeFile(output, 60);
  ASSERT_EQ(media.frames.size(), 50u);
  EXPECT_EQ(media.frames.front().mark, (FrameMark{1, 0}));
  EXPECT_EQ(media.frames.back().mark, (FrameMark{1, 1}));
}

INSTANTIATE_TEST_SUITE_P(
    Filters, HeldPicturesTest,
    testing::Values(FilterCase{"deinterlace", {{"deinterlace", "1"}}},
                    FilterCase{"deinterlace_crop_and_filter_text",
                               {{"deinterlace", "1"}, {"croptop", "16"}, {"vf", "hflip"}}}),
    [](const testing::TestParamInfo<FilterCase>& info) { return std::string(info.param.name); });

std::string FileText(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

class TwoPassTest : public TranscodeFlushTest, public testing::WithParamInterface<const char*> {};

TEST_P(TwoPassTest, SecondPassEncodesFromTheFirstPassLog) {
  const std::string encoder = GetParam();
  const std::string folder = ScratchDir("two_pass_" + encoder);
  const auto passJob = [&](const char* pass) {
    TitleJob job;
    job.outputOptions = {{"s", "320x240"}, {"vcodec", encoder}, {"b", "300000"}, {"an", "1"}, {"t", "2"},
                         {"pass", pass},   {"passlogfile", folder + "/stats"}};
    return job;
  };
  ASSERT_TRUE(Convert(passJob("1"), folder + "/pass1.mp4"));
  const std::string log = folder + "/stats-0.log";
  ASSERT_TRUE(fs::exists(log));
  const std::string firstPass = FileText(log);
  EXPECT_FALSE(firstPass.empty());

  ASSERT_TRUE(Convert(passJob("2"), folder + "/pass2.mp4"));
  EXPECT_EQ(DecodeFile(folder + "/pass2.mp4", 60).frames.size(), 50u);
  EXPECT_EQ(FileText(log), firstPass);

  fs::remove(log);
  EXPECT_EQ(FailureOf(passJob("2"), folder + "/again.mp4"),
            "Cannot read file: Error reading log file \"" + log + "\" for pass-2 encoding");
}

INSTANTIATE_TEST_SUITE_P(Encoders, TwoPassTest, testing::Values("mpeg4", "libx264"));

}  // namespace
}  // namespace kx::test
