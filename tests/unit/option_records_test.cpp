#include <gtest/gtest.h>

#include <ctime>

#include "engine/option_records.h"

namespace kx {
namespace {

TEST(OptionRecords, InitialiseClearsEveryOutputField) {
  TOutputOptions used;
  used.FileName = "out.mp4";
  used.AudioVolume = 0;
  used.DisableVideo = true;
  used.StartTime = 5;
  used.StreamInfo.Title = "Title";
  used.StreamInfo.Year = 2010;
  used.Target = 3;
  used.TargetDefaultNorm = 2;
  used.ExtOptions = "vn=1";
  InitOutputOptions(used);

  const TOutputOptions& o = used;
  EXPECT_TRUE(o.FileName.empty() && o.FileFormat.empty() && o.AudioCodec.empty() && o.AudioPreset.empty() &&
              o.AudioLanguage.empty() && o.AudioTag.empty() && o.VideoCodec.empty() && o.VideoPreset.empty() &&
              o.FrameRate.empty() && o.FrameSize.empty() && o.FrameAspectRatio.empty() && o.VideoTag.empty() &&
              o.VideoFilters.empty() && o.VideoLanguage.empty() && o.SubtitleCodec.empty() &&
              o.SubtitlePreset.empty() && o.SubtitleLanguage.empty() && o.ExtOptions.empty());
  for (int value : {o.PacketSize, o.MuxRate, o.AudioVolume, o.AudioChannels, o.AudioSampleRate, o.AudioBitrate,
                    o.AudioBitrateTolerance, o.CropTop, o.CropBottom, o.CropLeft, o.CropRight, o.GOPSize,
                    o.VideoBitrate, o.VideoMaxRate, o.VideoMinRate, o.VideoBitrateTolerance, o.VideoBufSize,
                    o.VideoSync, o.StreamInfo.Year, o.StreamInfo.Track})
    EXPECT_EQ(value, -1);
  for (float value : {o.MuxDelay, o.MuxPreload}) EXPECT_EQ(value, -1.0f);
  for (bool value : {o.DisableAudio, o.DisableVideo, o.DisableSubtitle, o.InputSync, o.CopyTimestamps,
                     o.CustomHook, o.Join})
    EXPECT_FALSE(value);
  EXPECT_EQ(o.AudioSync, 0);
  EXPECT_EQ(o.StartTime, kUnsetTime);
  EXPECT_EQ(o.RecordingTime, kUnsetTime);
  EXPECT_EQ(kUnsetTime, static_cast<std::int64_t>(0x8000000000000000ull));
  EXPECT_EQ(o.Target, 0);
  EXPECT_EQ(o.TargetNorm, 0);
  EXPECT_EQ(o.TargetDefaultNorm, 1);
  EXPECT_EQ(o.StreamInfo.TimeStamp, -1.0);
  EXPECT_TRUE(o.StreamInfo.Title.empty() && o.StreamInfo.Author.empty() && o.StreamInfo.Copyright.empty() &&
              o.StreamInfo.Comment.empty() && o.StreamInfo.Album.empty() && o.StreamInfo.Genre.empty());
}

TEST(OptionRecords, InitialiseClearsEveryInputField) {
  TInputOptions used{"in.vob", "mpeg", 1000, 3, "ss=1"};
  InitInputOptions(used);
  EXPECT_TRUE(used.FileName.empty() && used.FileFormat.empty() && used.ExtOptions.empty());
  EXPECT_EQ(used.StartTime, kUnsetTime);
  EXPECT_EQ(used.ProgramID, -1);
}

struct ExtOptionsCase {
  const char* text;
  std::vector<TExtOption> options;
};

class ExtOptionsParsing : public testing::TestWithParam<ExtOptionsCase> {};

TEST_P(ExtOptionsParsing, GivesTheLinesInOrder) {
  EXPECT_EQ(ParseExtOptions(GetParam().text), GetParam().options);
}

INSTANTIATE_TEST_SUITE_P(
    Texts, ExtOptionsParsing,
    testing::Values(ExtOptionsCase{"", {}}, ExtOptionsCase{"   \r\n ", {}}, ExtOptionsCase{"vn=1", {{"vn", "1"}}},
                    ExtOptionsCase{"b=800k<CRLF>g=12", {{"b", "800k"}, {"g", "12"}}},
                    ExtOptionsCase{"b=800k<CRLF>g=12<CRLF>", {{"b", "800k"}, {"g", "12"}}},
                    ExtOptionsCase{"b=800k\r\ng=12\r\n", {{"b", "800k"}, {"g", "12"}}},
                    ExtOptionsCase{"b=1\rg=2\n\nac=2", {{"b", "1"}, {"g", "2"}, {"ac", "2"}}},
                    ExtOptionsCase{"  VCodec=libx264 ", {{"vcodec", "libx264"}}},
                    ExtOptionsCase{"vf=crop=10:20 <CRLF>x= y", {{"vf", "crop=10:20 "}, {"x", " y"}}},
                    ExtOptionsCase{"an<CRLF>AB=", {{"an", ""}, {"ab", ""}}},
                    ExtOptionsCase{"title=Été <CRLF>", {{"title", "Été "}}}));

TEST(StreamTimeStamp, SignOfTheFieldDecides) {
  TStreamInfo info;
  EXPECT_FALSE(StreamTimeStampSeconds(info).has_value());  // -1.0: no creation time

  info.TimeStamp = 0;  // now
  const std::int64_t now = std::time(nullptr);
  ASSERT_TRUE(StreamTimeStampSeconds(info).has_value());
  EXPECT_NEAR(static_cast<double>(*StreamTimeStampSeconds(info)), static_cast<double>(now), 2.0);

  tzset();
  info.TimeStamp = 25569.5;  // 1970-01-01 12:00 local, standard time
  EXPECT_EQ(*StreamTimeStampSeconds(info), 43200 + timezone);
}

}  // namespace
}  // namespace kx
