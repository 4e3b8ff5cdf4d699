// The order in which option records become transcoder options: defaults
// list, ExtOptions lines, record fields, frame size and filters, extra streams.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>

#include "engine/option_plan.h"

namespace kx {

void PrintTo(const TOptionCall& c, std::ostream* os) { *os << c.Name << "=" << c.Value; }

namespace {

using Calls = std::vector<TOptionCall>;

// What a fresh record passes: the fields applied whatever their value, each
// at its unset value, which leaves the transcoder's defaults in force.
const Calls kFreshCalls = {{"alang", ""},       {"async", "0"},     {"croptop", "-1"}, {"cropbottom", "-1"},
                           {"cropleft", "-1"},  {"cropright", "-1"}, {"vsync", "-1"},   {"vlang", ""},
                           {"slang", ""},       {"isync", "0"}};

// The calls of a plan without those a fresh record makes anyway.
Calls Changed(const Calls& calls) {
  Calls changed;
  std::copy_if(calls.begin(), calls.end(), std::back_inserter(changed), [](const TOptionCall& c) {
    return std::find(kFreshCalls.begin(), kFreshCalls.end(), c) == kFreshCalls.end();
  });
  return changed;
}

TEST(OptionPlanTest, FreshRecordPassesOnlyUnsetValues) {
  const TOutputOptionPlan plan = PlanOutputOptions(TOutputOptions{});
  EXPECT_FALSE(plan.Target);
  EXPECT_EQ(plan.BeforeCreate, kFreshCalls);
  EXPECT_TRUE(plan.AfterCreate.empty());
}

struct OutputCase {
  const char* label;
  std::function<void(TOutputOptions&)> fill;
  Calls before;  // without the fresh record's calls
  Calls after;
};

void PrintTo(const OutputCase& c, std::ostream* os) { *os << c.label; }

class OutputPlanTest : public testing::TestWithParam<OutputCase> {};

TEST_P(OutputPlanTest, CallsInOrder) {
  TOutputOptions options;
  GetParam().fill(options);
  const TOutputOptionPlan plan = PlanOutputOptions(options);
  EXPECT_EQ(Changed(plan.BeforeCreate), GetParam().before);
  EXPECT_EQ(plan.AfterCreate, GetParam().after);
}

INSTANTIATE_TEST_SUITE_P(
    Records, OutputPlanTest,
    testing::Values(
        OutputCase{"record_fields_are_defaults_that_lines_fill_in",
                   [](TOutputOptions& o) {
                     o.AudioCodec = "mp2";
                     o.VideoPreset = "fast";
                     o.ExtOptions = "acodec=aac<CRLF>vcodec=mpeg4<CRLF>spre=x<CRLF>scodec=";
                   },
                   {{"acodec", "mp2"}, {"vcodec", "mpeg4"}, {"vpre", "fast"}, {"spre", "x"}},
                   {}},
        OutputCase{"two_codec_lines_serve_main_and_first_extra_then_second_extra",
                   [](TOutputOptions& o) {
                     o.ExtOptions = "acodec=mp2\nnewaudio=\nacodec=ac3\nnewaudio=1";
                   },
                   {{"acodec", "mp2"}},
                   {{"acodec", "mp2"}, {"newaudio", ""}, {"acodec", "ac3"}, {"newaudio", "1"}}},
        OutputCase{"extra_streams_fall_back_to_the_defaults",
                   [](TOutputOptions& o) {
                     o.VideoCodec = "mpeg4";
                     o.FrameSize = "320x240";
                     o.SubtitleCodec = "dvdsub";
                     o.ExtOptions = "newvideo=<CRLF>newsubtitle=<CRLF>newaudio=";
                   },
                   {{"vcodec", "mpeg4"}, {"scodec", "dvdsub"}, {"s", "320x240"}},
                   {{"vcodec", "mpeg4"}, {"s", "320x240"}, {"newvideo", ""},
                    {"scodec", "dvdsub"}, {"newsubtitle", ""}, {"newaudio", ""}}},
        OutputCase{"crop_before_bit_rates_size_after_crop_filters_last",
                   [](TOutputOptions& o) {
                     o.VideoFilters = "hflip";
                     o.FrameSize = "320x240";
                     o.VideoBitrate = 800000;
                     o.AudioBitrate = 128000;
                     o.CropTop = 8;
                     o.CropLeft = 0;
                     o.FrameRate = "25";
                     o.FrameAspectRatio = "4:3";
                     o.ExtOptions = "vfilters=vflip<CRLF>g=12";
                   },
                   {{"g", "12"}, {"ab", "128000"}, {"r", "25"}, {"aspect", "4:3"}, {"croptop", "8"},
                    {"cropleft", "0"}, {"vb", "800000"}, {"s", "320x240"}, {"vf", "hflip"}},
                   {}},
        OutputCase{"a_size_line_is_a_default_not_a_plain_option",
                   [](TOutputOptions& o) { o.ExtOptions = "s=640x480<CRLF>vf=negate<CRLF>b=1000"; },
                   {{"b", "1000"}, {"s", "640x480"}, {"vf", "negate"}},
                   {}},
        OutputCase{"every_field_under_its_condition",
                   [](TOutputOptions& o) {
                     o.FileFormat = "mp4";
                     o.PacketSize = 0;
                     o.MuxRate = 1000;
                     o.MuxDelay = 0.25f;
                     o.MuxPreload = -1.0f;
                     o.DisableAudio = true;
                     o.AudioVolume = 0;
                     o.AudioChannels = 2;
                     o.AudioSampleRate = 44100;
                     o.AudioBitrateTolerance = 0;
                     o.AudioLanguage = "eng";
                     o.AudioSync = 1;
                     o.AudioTag = "mp4a";
                     o.DisableVideo = true;
                     o.GOPSize = 15;
                     o.VideoMaxRate = 2000;
                     o.VideoMinRate = 1000;
                     o.VideoBitrateTolerance = 500;
                     o.VideoBufSize = 4000;
                     o.VideoSync = 1;
                     o.VideoTag = "xvid";
                     o.DisableSubtitle = true;
                     o.InputSync = true;
                     o.CopyTimestamps = true;
                     o.StartTime = 1500000;
                     o.RecordingTime = -250000;
                     o.StreamInfo.Year = 0;
                     o.StreamInfo.Track = 3;
                     o.StreamInfo.Title = "T";
                     o.StreamInfo.Genre = "G";
                   },
                   {{"f", "mp4"},         {"muxrate", "1000"},   {"muxdelay", "0.25"}, {"an", "1"},
                    {"vol", "0"},         {"ac", "2"},           {"ar", "44100"},      {"alang", "eng"},
                    {"async", "1"},       {"atag", "mp4a"},      {"vn", "1"},          {"g", "15"},
                    {"maxrate", "2000"},  {"minrate", "1000"},   {"bt", "500"},        {"bufsize", "4000"},
                    {"vsync", "1"},       {"vtag", "xvid"},      {"sn", "1"},          {"isync", "1"},
                    {"copyts", "1"},      {"ss", "1.500000"},    {"t", "-0.250000"},   {"metadata", "track=3"},
                    {"metadata", "title=T"}, {"metadata", "genre=G"}},
                   {}},
        OutputCase{"time_stamp_as_utc_date",
                   [](TOutputOptions& o) {
                     setenv("TZ", "UTC", 1);
                     o.StreamInfo.TimeStamp = 25569.5;  // 1970-01-01 12:00 local = UTC here
                   },
                   {{"timestamp", "1970-01-01T12:00:00Z"}},
                   {}}),
    [](const testing::TestParamInfo<OutputCase>& info) { return std::string(info.param.label); });

struct TargetCase {
  int target, norm, defaultNorm;
  std::optional<TTargetCall> expected;
};

class TargetPlanTest : public testing::TestWithParam<TargetCase> {};

TEST_P(TargetPlanTest, TypeNormAndFallback) {
  TOutputOptions options;
  options.Target = GetParam().target;
  options.TargetNorm = GetParam().norm;
  options.TargetDefaultNorm = GetParam().defaultNorm;
  EXPECT_EQ(PlanOutputOptions(options).Target, GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(Targets, TargetPlanTest,
                         testing::Values(TargetCase{0, 1, 1, std::nullopt}, TargetCase{4, 1, 1, std::nullopt},
                                         TargetCase{1, 0, 1, TTargetCall{"vcd", "auto", "pal"}},
                                         TargetCase{2, 1, 2, TTargetCall{"svcd", "pal", "ntsc"}},
                                         TargetCase{3, 2, 1, TTargetCall{"dvd", "ntsc", "pal"}},
                                         TargetCase{3, 5, 0, TTargetCall{"dvd", "auto", "ntsc"}}));

TEST(OptionPlanTest, InputLinesFirstThenFormatStartAndProgram) {
  TInputOptions options;
  options.ExtOptions = "acodec=mp2<CRLF>vf=negate<CRLF>newaudio=<CRLF>s=320x240<CRLF>apre=x";
  options.FileFormat = "mpeg";
  options.StartTime = -1500000;
  options.ProgramID = 0;
  EXPECT_EQ(PlanInputOptions(options), (Calls{{"acodec", "mp2"},
                                              {"s", "320x240"},
                                              {"f", "mpeg"},
                                              {"ss", "-1.500000"},
                                              {"programid", "0"}}));
  EXPECT_TRUE(PlanInputOptions(TInputOptions{}).empty());
}

}  // namespace
}  // namespace kx
