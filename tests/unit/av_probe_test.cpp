#include <gtest/gtest.h>

#include <filesystem>
#include <regex>

#include "engine/av_probe.h"
#include "engine/ffmpeg_exception.h"
#include "engine/ffmpeg_loader.h"
#include "engine/input_opener.h"
#include "engine/probe_text.h"
#include "support/make_media.h"
#include "support/test_env.h"

namespace kx {
namespace {

namespace fs = std::filesystem;

std::vector<std::string> SplitLines(const std::string& text) {
  std::vector<std::string> lines;
  std::size_t start = 0;
  for (std::size_t end; (end = text.find('\n', start)) != std::string::npos; start = end + 1)
    lines.push_back(text.substr(start, end - start));
  lines.push_back(text.substr(start));
  return lines;
}

// Index of the first line from `from` on that matches `pattern`; -1 if none.
int FindLine(const std::vector<std::string>& lines, const std::string& pattern, int from = 0) {
  const std::regex re(pattern);
  for (int i = from; i < static_cast<int>(lines.size()); ++i)
    if (std::regex_match(lines[i], re)) return i;
  return -1;
}

class MediaProbe : public testing::Test {
 protected:
  static void SetUpTestSuite() {
    ASSERT_TRUE(FFLoader().LoadLibs(kEncoderLibs));
    dir_ = test::ScratchDir("av_probe");
    const std::vector<std::string> twoSeconds = {"-f", "lavfi", "-i", "testsrc=size=160x120:rate=25:duration=2",
                                                 "-f", "lavfi", "-i", "sine=frequency=440:duration=2"};
    std::vector<std::string> mp4 = twoSeconds;
    mp4.insert(mp4.end(), {"-c:v", "mpeg4", "-c:a", "aac", "-metadata", "title=Clip", "-metadata",
                           "creation_time=2010-05-01T12:00:00Z"});
    test::MakeMedia(mp4, dir_ + "/clip.mp4");
    test::MakeMedia({"-f", "lavfi", "-i", "testsrc=size=176x144:rate=30000/1001:duration=1", "-c:v", "mpeg2video"},
                    dir_ + "/ntsc.ts");
    test::MakeMedia({"-f", "lavfi", "-i", "testsrc=size=64x48:rate=25:duration=1", "-c:v", "libx264", "-f", "h264"},
                    dir_ + "/raw.h264");
    test::MakeMedia({"-f", "lavfi", "-i", "sine=frequency=440:duration=1", "-c:a", "aac"}, dir_ + "/audio.m4a");
  }
  static std::string dir_;
  TAVProbe probe_;
};
std::string MediaProbe::dir_;

TEST_F(MediaProbe, SummaryOfAConvertedMp4) {
  const std::string path = dir_ + "/clip.mp4";
  ASSERT_TRUE(probe_.Open(path)) << probe_.LastErrMsg();
  EXPECT_EQ(probe_.FileSize(), static_cast<std::int64_t>(fs::file_size(path)));
  EXPECT_EQ(probe_.StreamCount(), 2);
  EXPECT_EQ(probe_.VideoStreamCount(), 1);
  EXPECT_EQ(probe_.AudioStreamCount(), 1);
  EXPECT_EQ(probe_.SubtitleStreamCount(), 0);
  EXPECT_EQ(probe_.FirstVideoStream(), 0);
  EXPECT_EQ(probe_.FirstAudioStream(), 1);
  EXPECT_EQ(probe_.FirstSubtitleStream(), -1);

  TFileStreamInfo file;
  probe_.GetFileStreamInfo(file);
  EXPECT_EQ(file.Title, "Clip");
  EXPECT_NEAR(static_cast<double>(file.Duration), 2e6, 1e5);
  EXPECT_EQ(file.StartTime, 0);
  EXPECT_GT(file.BitRate, 0);
  EXPECT_EQ(file.TimeStamp, 1272715200);

  probe_.Close();
  EXPECT_EQ(probe_.StreamCount(), -1);
  EXPECT_EQ(probe_.FirstVideoStream(), -1);
  EXPECT_EQ(probe_.FileSize(), -1);
}

TEST_F(MediaProbe, FileInfoTextOfAConvertedMp4) {
  const std::string path = dir_ + "/clip.mp4";
  ASSERT_TRUE(probe_.Open(path)) << probe_.LastErrMsg();
  const std::vector<std::string> lines = SplitLines(probe_.FileInfoText());
  const char* const kInOrder[] = {
      "File Name: " "(.*)/clip\\.mp4",
      "Format Name: mov,mp4,m4a,3gp,3g2,mj2",
      "Format Long Name: QuickTime / MOV",
      "File Size: \\d+\\.\\d\\d KB",
      "Duration: 00:00:02\\.\\d{3}",
      "StartTime: 0\\.000000",
      "Bit Rate: \\d+ kb/s",
      "Time Stamp: 2010-05-0[12] \\d\\d:\\d0:00",
      "Metadata:",
      "  title           : Clip",
      "Stream #0\\[0x1\\]\\(und\\), 1/12800: Video: mpeg4 .*, 25 fps, 25 tbr, 12800 tbn, StartTime: 0\\.000000, "
      "Duration: 00:00:02\\.000",
      "  Metadata:",
      "    handler_name    : VideoHandler",
      "Stream #1\\[0x2\\]\\(und\\), 1/44100: Audio: aac .*, Duration: 00:00:02\\.\\d{3}",
  };
  int at = 0;
  for (const char* pattern : kInOrder) {
    const int found = FindLine(lines, pattern, at);
    ASSERT_GE(found, at) << "no line \"" << pattern << "\" after line " << at << " in:\n" << probe_.FileInfoText();
    at = found + 1;
  }
  EXPECT_EQ(lines[0], "File Name: " + path);
  EXPECT_EQ(lines[3], "File Size: " + SizeText(static_cast<std::int64_t>(fs::file_size(path))));
  EXPECT_EQ(FindLine(lines, ".*language.*"), -1);
}

TEST_F(MediaProbe, FileInfoTextListsProgramStreamsWithTheirRates) {
  ASSERT_TRUE(probe_.Open(dir_ + "/ntsc.ts")) << probe_.LastErrMsg();
  const std::vector<std::string> lines = SplitLines(probe_.FileInfoText());
  const int program = FindLine(lines, "Program 1 FFmpeg@Service01");
  ASSERT_GE(program, 0) << probe_.FileInfoText();
  EXPECT_EQ(FindLine(lines, "    service_name    : Service01", program), program + 2);
  const int stream = FindLine(lines, "Stream #0\\[0x100\\], 1/90000: Video: mpeg2video .*", program);
  ASSERT_GT(stream, program) << probe_.FileInfoText();
  EXPECT_NE(lines[stream].find(", 29.97 fps, 29.97 tbr, 90k tbn, StartTime: "), std::string::npos) << lines[stream];
  EXPECT_EQ(FindLine(lines, "Stream #0.*", stream + 1), -1);  // listed once, under its program
}

TEST_F(MediaProbe, InputWithoutDurationSaysNotAvailable) {
  ASSERT_TRUE(probe_.Open(dir_ + "/raw.h264")) << probe_.LastErrMsg();
  const std::vector<std::string> lines = SplitLines(probe_.FileInfoText());
  EXPECT_GE(FindLine(lines, "Duration: N/A"), 0) << probe_.FileInfoText();
  EXPECT_GE(FindLine(lines, "Bit Rate: N/A"), 0);
  EXPECT_GE(FindLine(lines, "Stream #0, 1/1200000: Video: h264 .*, 25 fps, 25 tbr, 1200k tbn, Duration: N/A"), 0);
}

TEST_F(MediaProbe, VideoStreamInfo) {
  ASSERT_TRUE(probe_.Open(dir_ + "/clip.mp4"));
  TVideoStreamInfo info;
  probe_.GetVideoStreamInfo(-1, info);
  EXPECT_EQ(info.Width, 160);
  EXPECT_EQ(info.Height, 120);
  EXPECT_FLOAT_EQ(info.AspectRatio, 4.0f / 3.0f);
  EXPECT_EQ(info.FrameRateNum, 25);
  EXPECT_EQ(info.FrameRateDen, 1);
  EXPECT_EQ(info.CodecName, "mpeg4(MPEG-4 part 2)");
  EXPECT_EQ(info.Language, "und");
  EXPECT_EQ(info.StartTimeUs, 0);
  EXPECT_EQ(info.DurationUs, 2000000);
  EXPECT_EQ(info.StreamDuration, 25600);
  EXPECT_EQ(info.PixelFormat, 0);  // yuv420p
  EXPECT_GT(info.BitRate, 0);
  EXPECT_TRUE(probe_.IsVideoStream(0));
  EXPECT_FALSE(probe_.IsVideoStream(1));
}

struct VideoQueryCase {
  const char* file;
  int index;
  const char* error;
};

class VideoQueries : public MediaProbe, public testing::WithParamInterface<VideoQueryCase> {};

TEST_P(VideoQueries, RefusedWithTheirTextAndAClearedRecord) {
  if (*GetParam().file) {
    ASSERT_TRUE(probe_.Open(dir_ + "/" + GetParam().file));
  }
  TVideoStreamInfo info;
  info.Width = 99;
  probe_.GetVideoStreamInfo(GetParam().index, info);
  EXPECT_EQ(probe_.LastErrMsg(), GetParam().error);
  EXPECT_EQ(info.Width, -1);
  EXPECT_EQ(info.Height, -1);
  EXPECT_EQ(info.FrameRateNum, -1);
  EXPECT_EQ(info.AspectRatio, -1.0f);
  EXPECT_TRUE(info.CodecName.empty());
}

INSTANTIATE_TEST_SUITE_P(Cases, VideoQueries,
                         testing::Values(VideoQueryCase{"audio.m4a", -1, "no video stream."},
                                         VideoQueryCase{"clip.mp4", 1, "stream #1 is not video stream."},
                                         VideoQueryCase{"clip.mp4", 2, "stream index #2 is invalid."},
                                         VideoQueryCase{"", 0, "file not loaded."}));

TEST_F(MediaProbe, QueriesWithoutAnInput) {
  EXPECT_EQ(probe_.FileInfoText(), "");
  EXPECT_EQ(probe_.LastErrMsg(), "file not loaded.");
  TFileStreamInfo file;
  probe_.GetFileStreamInfo(file);
  EXPECT_EQ(file.Duration, -1);
  EXPECT_EQ(file.Year, -1);
  ASSERT_TRUE(probe_.Open(dir_ + "/clip.mp4"));
  EXPECT_FALSE(probe_.IsVideoStream(-1));
  EXPECT_EQ(probe_.LastErrMsg(), "stream index #-1 is invalid.");
}

TEST_F(MediaProbe, OpenFailuresLeaveItEmpty) {
  const std::string missing = dir_ + "/missing.mp4";
  EXPECT_FALSE(probe_.Open(missing));
  EXPECT_EQ(probe_.LastErrMsg(), missing + ": No such file or directory");
  EXPECT_EQ(probe_.StreamCount(), -1);

  EXPECT_FALSE(probe_.Open(dir_ + "/clip.mp4", "nosuchformat"));
  EXPECT_EQ(probe_.LastErrMsg(), "Unknown input format: nosuchformat");

  ASSERT_TRUE(probe_.Open(dir_ + "/clip.mp4", "mp4"));
  EXPECT_EQ(probe_.FormatName(), "mp4");
}

TEST_F(MediaProbe, AttachedInputIsReadButNotClosed) {
  AVFormatContext* input = nullptr;
  ASSERT_EQ(OpenMediaInput(&input, dir_ + "/clip.mp4", nullptr), 0);
  ASSERT_GE(avformat_find_stream_info(input, nullptr), 0);
  probe_.Attach(input);
  EXPECT_EQ(probe_.StreamCount(), 2);
  EXPECT_EQ(probe_.FormatName(), "");
  probe_.Attach(nullptr);
  EXPECT_EQ(probe_.StreamCount(), -1);

  AVPacket* packet = av_packet_alloc();
  EXPECT_EQ(av_read_frame(input, packet), 0);  // still open and usable
  av_packet_free(&packet);
  CloseMediaInput(&input);
}

TEST_F(MediaProbe, RefusesWithoutTheLibraries) {
  FFLoader().UnloadLibs(LibBit(TLibrary::avformat));
  try {
    probe_.Open(dir_ + "/clip.mp4");
    ADD_FAILURE() << "opened without avformat";
  } catch (const FFmpegException& error) {
    EXPECT_STREQ(error.what(), "LibAVFormat not loaded.");
  }
  ASSERT_TRUE(FFLoader().LoadLibs(kEncoderLibs));
}

}  // namespace
}  // namespace kx
