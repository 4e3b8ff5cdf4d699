#include <gtest/gtest.h>

#include <regex>

#include "dvd/dvd_plug_in.h"
#include "engine/av_probe.h"
#include "engine/ffmpeg_loader.h"
#include "support/test_env.h"

namespace kx {
namespace {

// The probe on a title's VOB file of a real DVD structure: an MPEG program
// stream with an MPEG-2 video stream and the disc's audio tracks, whose
// stream ids the demuxer shows.
TEST(MediaProbeOnDisc, DescribesAVobFile) {
  ASSERT_TRUE(FFLoader().LoadLibs(kEncoderLibs));
  const std::string vob = test::DiscFolder("sample") + "/VIDEO_TS/VTS_01_1.VOB";
  TAVProbe probe;
  ASSERT_TRUE(probe.Open(vob)) << probe.LastErrMsg();
  EXPECT_GE(probe.FirstVideoStream(), 0);
  EXPECT_EQ(probe.AudioStreamCount(), 2);
  EXPECT_EQ(probe.SubtitleStreamCount(), 1);

  TVideoStreamInfo video;
  probe.GetVideoStreamInfo(-1, video);
  EXPECT_EQ(video.Width, 720);
  EXPECT_EQ(video.Height, 576);
  EXPECT_NEAR(video.AspectRatio, 16.0f / 9.0f, 0.01f);
  EXPECT_EQ(video.FrameRateNum * 1.0 / video.FrameRateDen, 25.0);
  EXPECT_EQ(video.CodecName.rfind("mpeg2video(", 0), 0u) << video.CodecName;

  const std::string text = probe.FileInfoText();
  EXPECT_TRUE(std::regex_search(text, std::regex("^File Name: .*/VTS_01_1\\.VOB\nFormat Name: mpeg\n"))) << text;
  EXPECT_TRUE(std::regex_search(text, std::regex("\nStream #\\d\\[0x1e0\\], 1/90000: Video: mpeg2video .*, 25 fps, "
                                                 "25 tbr, 90k tbn, StartTime: \\d+\\.\\d{6}")))
      << text;
  EXPECT_TRUE(std::regex_search(text, std::regex("\nStream #\\d\\[0x80\\], 1/90000: Audio: ac3")));
  EXPECT_TRUE(std::regex_search(text, std::regex("\nStream #\\d\\[0x1c[0-7]\\], 1/90000: Audio: mp2")));
  EXPECT_TRUE(std::regex_search(text, std::regex("\nStream #\\d\\[0x20\\], 1/90000: Subtitle: dvd_subtitle")));
}

// The same title delivered through "opendvd:" with one audio and one subtitle
// stream chosen: the text names the input as given and lists only those.
TEST(MediaProbeOnDisc, DescribesATitleThroughTheDvdInput) {
  ASSERT_TRUE(FFLoader().LoadLibs(kEncoderLibs));
  ASSERT_TRUE(DVDPlugIn::LoadDVDLib(test::BuildDir() + "/LibAV"));
  DVDPlugIn::SetDVDParam(TDVDParam{0, 0, 99, 0x80, 0x20, 2, 0});
  const std::string name = "opendvd:" + test::DiscFolder("sample");
  TAVProbe probe;
  ASSERT_TRUE(probe.Open(name)) << probe.LastErrMsg();
  EXPECT_EQ(probe.AudioStreamCount(), 1);
  EXPECT_EQ(probe.SubtitleStreamCount(), 1);

  const std::string text = probe.FileInfoText();
  EXPECT_EQ(text.rfind("File Name: " + name + "\nFormat Name: mpeg\n", 0), 0u) << text;
  EXPECT_TRUE(std::regex_search(text, std::regex("\nStream #\\d\\[0x1e0\\], 1/90000: Video: mpeg2video "))) << text;
  EXPECT_TRUE(std::regex_search(text, std::regex("\nStream #\\d\\[0x80\\], 1/90000: Audio: ac3"))) << text;
  EXPECT_FALSE(std::regex_search(text, std::regex("Audio: mp2"))) << text;
  EXPECT_TRUE(std::regex_search(text, std::regex("\nStream #\\d\\[0x20\\], 1/90000: Subtitle: dvd_subtitle"))) << text;
}

}  // namespace
}  // namespace kx
