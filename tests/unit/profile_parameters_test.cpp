// The parameters of a profile: list items read from the format INI, the
// tokens stored for known items, the checks of typed values, and what Ok
// writes into the settings INI.
#include "profiles/profile_parameters.h"

#include <gtest/gtest.h>

#include <fstream>
#include <string>

#include "app/settings_store.h"
#include "support/test_env.h"

namespace kx {
namespace {

struct TokenCase {
  std::optional<std::string> (*token)(const std::string&);
  std::string item;
  std::optional<std::string> stored;
};

class TokenTest : public ::testing::TestWithParam<TokenCase> {};

TEST_P(TokenTest, KnownItemsStoreTheirTokenOthersNothing) {
  EXPECT_EQ(GetParam().token(GetParam().item), GetParam().stored) << GetParam().item;
}

INSTANTIATE_TEST_SUITE_P(
    Items, TokenTest,
    ::testing::Values(TokenCase{VideoEncoderToken, "MPEG-4", "mpeg4"}, TokenCase{VideoEncoderToken, "xvid", "libxvid"},
                      TokenCase{VideoEncoderToken, "H264", "libx264"}, TokenCase{VideoEncoderToken, "WMV2", "wmv2"},
                      TokenCase{VideoEncoderToken, "dvvideo", "dvvideo"}, TokenCase{VideoEncoderToken, "h265", {}},
                      TokenCase{VideoEncoderToken, " h264", {}}, TokenCase{AudioEncoderToken, "mp3", "libmp3lame"},
                      TokenCase{AudioEncoderToken, "Ogg", "vorbis"}, TokenCase{AudioEncoderToken, "AC-3", "ac3"},
                      TokenCase{AudioEncoderToken, "aac", "libfaac"}, TokenCase{AudioEncoderToken, "wma2", "wmav2"},
                      TokenCase{AudioEncoderToken, "pcm_s16", "pcm_s16le"},
                      TokenCase{AudioEncoderToken, "pcm_mulaw ", "pcm_mulaw"},
                      TokenCase{AudioEncoderToken, "MP2", "mp2"}, TokenCase{AudioEncoderToken, "opus", {}},
                      TokenCase{ChannelToken, "Mono 1 Channel", "1"}, TokenCase{ChannelToken, "stereo 2 channels", "2"},
                      TokenCase{ChannelToken, "as source", "as source"}, TokenCase{ChannelToken, "5.1", {}},
                      TokenCase{VolumeToken, "100%", "256"}, TokenCase{VolumeToken, "25%", "64"},
                      TokenCase{VolumeToken, "175%", "448"}, TokenCase{VolumeToken, "400%", "1024"},
                      TokenCase{VolumeToken, "90%", {}}, TokenCase{VolumeToken, "loud", {}},
                      TokenCase{VolumeToken, "", {}}));

struct FrameSizeCase {
  std::string typed;
  FrameSizeCheck::Result result;
  std::string corrected;
};

class FrameSizeTest : public ::testing::TestWithParam<FrameSizeCase> {};

TEST_P(FrameSizeTest, TypedSizeIsAcceptedRefusedOrMadeEven) {
  const FrameSizeCheck check = CheckFrameSize(GetParam().typed);
  EXPECT_EQ(check.result, GetParam().result) << GetParam().typed;
  EXPECT_EQ(check.corrected, GetParam().corrected) << GetParam().typed;
}

using R = FrameSizeCheck::Result;
INSTANTIATE_TEST_SUITE_P(Sizes, FrameSizeTest,
                         ::testing::Values(FrameSizeCase{"640x480", R::Accepted, ""},
                                           FrameSizeCase{"As Source", R::Accepted, ""},
                                           FrameSizeCase{"720X480", R::Invalid, ""},
                                           FrameSizeCase{"640x", R::Invalid, ""},
                                           FrameSizeCase{"ax480", R::Invalid, ""},
                                           FrameSizeCase{"-4x480", R::Invalid, ""},
                                           FrameSizeCase{"321x241", R::Corrected, "320x240"},
                                           FrameSizeCase{"1x240", R::Corrected, "2x240"},
                                           FrameSizeCase{"0x0", R::Corrected, "2x2"}));

TEST(RateTextTest, WholeNumbersOrAsSourceAndDecimalsWhereAllowed) {
  for (const char* good : {"800", "0", "as source"}) EXPECT_TRUE(IsRateText(good, false)) << good;
  for (const char* bad : {"", "8 00", "96.5", "As Source", "-96", "1k"}) EXPECT_FALSE(IsRateText(bad, false)) << bad;
  EXPECT_TRUE(IsRateText("96.5", true));
  EXPECT_FALSE(IsRateText("96,5", true));
}

class ProfileFilesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    const std::string dir = test::ScratchDir(::testing::UnitTest::GetInstance()->current_test_info()->name());
    formatIni_ = dir + "/format.ini";
    settingsIni_ = dir + "/settings.ini";
    std::ofstream(formatIni_) << "[formatInfo103]\n"
                                 "VideoSize=320x240, 640x480,,as source\n"
                                 "VideoEncoder=h264\n"
                                 "AudioEncoder=null\n"
                                 "iVolume=3\n"
                                 "paraMaxBitrate=1500\n"
                                 "paraLevel=0\n"
                                 "paraGop=often\n"
                                 "paraCoder=0\n"
                                 "paraBitExact=TRUE\n";
  }
  std::string Stored(const char* key) { return ReadString(settingsIni_, "formatInfo103", key, "<none>"); }

  std::string formatIni_;
  std::string settingsIni_;
};

TEST_F(ProfileFilesTest, ItemsAreTakenExactlyAndNullGivesNone) {
  EXPECT_EQ(ParameterItems(formatIni_, 103, Parameter::VideoSize),
            (std::vector<std::string>{"320x240", " 640x480", "", "as source"}));
  EXPECT_TRUE(ParameterItems(formatIni_, 103, Parameter::AudioEncoder).empty());
  EXPECT_TRUE(ParameterItems(formatIni_, 103, Parameter::Volume).empty());  // missing key
  EXPECT_TRUE(ParameterItems(formatIni_, 999, Parameter::VideoEncoder).empty());
  EXPECT_EQ(DefaultIndex(formatIni_, 103, Parameter::Volume), 3);
}

TEST_F(ProfileFilesTest, StoredChoiceAndZoomDefaults) {
  EXPECT_EQ(ReadStoredChoice(settingsIni_, 103, Parameter::VideoBitRate).text, "800");
  EXPECT_EQ(ReadStoredChoice(settingsIni_, 103, Parameter::VideoBitRate).index, 0);
  EXPECT_EQ(ReadZoom(settingsIni_, 103, Zoom::Letterbox), Zoom::Letterbox);
  EXPECT_EQ(ReadZoom(settingsIni_, 103, Zoom::Full), Zoom::Full);
  WriteString(settingsIni_, "FORMATINFO103", "parazoom", "center");
  EXPECT_EQ(ReadZoom(settingsIni_, 103, Zoom::Full), Zoom::None);
  WriteString(settingsIni_, "formatInfo103", "paraZoom", "Pan");
  EXPECT_EQ(ReadZoom(settingsIni_, 103, Zoom::Full), Zoom::PanAndScan);
}

TEST_F(ProfileFilesTest, OkStoresTokensValidTuningAndKeepsWhatItDoesNotKnow) {
  WriteString(settingsIni_, "formatInfo103", "paraVolume", "192");
  WriteString(settingsIni_, "formatInfo103", "paraGop", "12");
  WriteString(settingsIni_, "formatInfo103", "paraZoom", "pan");
  ProfileChoices choices;
  const auto set = [&choices](Parameter p, int index, std::string text) {
    choices.parameters[static_cast<std::size_t>(p)] = {index, std::move(text)};
  };
  set(Parameter::VideoSize, -1, "700x400");
  set(Parameter::VideoBitRate, 2, "1000");
  set(Parameter::FrameRate, 0, "29.97");
  set(Parameter::VideoEncoder, 0, "h264");
  set(Parameter::AudioBitRate, 1, "128");
  set(Parameter::SampleRate, 0, "44100");
  set(Parameter::AudioEncoder, 0, "aac");
  set(Parameter::Channel, 1, "mono 1 channel");
  set(Parameter::Volume, -1, "");  // an empty volume list
  StoreProfileChoices(settingsIni_, formatIni_, 103, "H.264/MPEG-4 AVC Video (*.mp4)", choices);

  EXPECT_EQ(Stored("Description"), "H.264/MPEG-4 AVC Video (*.mp4)");
  EXPECT_EQ(Stored("iVideoSize"), "-1");
  EXPECT_EQ(Stored("iVideoBitRate"), "2");
  EXPECT_EQ(Stored("iVolume"), "-1");
  EXPECT_EQ(Stored("paraVideoSize"), "700x400");
  EXPECT_EQ(Stored("paraFrameRate"), "29.97");
  EXPECT_EQ(Stored("paraZoom"), "pan") << "no zoom chosen keeps the stored one";
  EXPECT_EQ(Stored("paraVideoEncoder"), "libx264");
  EXPECT_EQ(Stored("paraAudioEncoder"), "libfaac");
  EXPECT_EQ(Stored("paraChannel"), "1");
  EXPECT_EQ(Stored("paraVolume"), "192") << "an unknown volume item keeps the stored value";
  EXPECT_EQ(Stored("paraMaxBitrate"), "1500");
  EXPECT_EQ(Stored("paraCoder"), "0");
  EXPECT_EQ(Stored("paraBitExact"), "TRUE");
  EXPECT_EQ(Stored("paraLevel"), "<none>") << "0 is no level";
  EXPECT_EQ(Stored("paraGop"), "12") << "a tuning value that is no number is skipped";
  EXPECT_EQ(Stored("paraBufferSize"), "<none>");
}

}  // namespace
}  // namespace kx
