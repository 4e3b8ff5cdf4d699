#include "profiles/output_options.h"

#include <gtest/gtest.h>

#include <map>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "app/settings_store.h"
#include "support/test_env.h"

namespace kx {
namespace {

constexpr int kCode = 104;
constexpr char kSection[] = "formatInfo104";

// The user's section of a video profile before a case changes it.
const std::map<std::string, std::string> kVideoProfile = {
    {"paraVideoEncoder", "mpeg4"}, {"paraVideoSize", "320x240"},  {"paraVideoBitRate", "768"},
    {"paraFrameRate", "29.97"},    {"paraAudioEncoder", "libmp3lame"}, {"paraSampleRate", "44100"},
    {"paraAudioBitRate", "128"},   {"paraChannel", "2"},          {"paraVolume", "256"},
};

// The output fields a case can pin, as text.
std::string Field(const TOutputOptions& out, const std::string& name) {
  const std::map<std::string, std::string> fields = {
      {"f", out.FileFormat},
      {"target", std::to_string(out.Target) + "/" + std::to_string(out.TargetNorm)},
      {"aspect", out.FrameAspectRatio},
      {"vcodec", out.VideoCodec},
      {"vpre", out.VideoPreset},
      {"vb", std::to_string(out.VideoBitrate)},
      {"r", out.FrameRate},
      {"s", out.FrameSize},
      {"crop", std::to_string(out.CropTop) + "," + std::to_string(out.CropBottom) + "," +
                   std::to_string(out.CropLeft) + "," + std::to_string(out.CropRight)},
      {"vf", out.VideoFilters},
      {"acodec", out.AudioCodec},
      {"an", out.DisableAudio ? "1" : "0"},
      {"ac", std::to_string(out.AudioChannels)},
      {"ar", std::to_string(out.AudioSampleRate)},
      {"ab", std::to_string(out.AudioBitrate)},
      {"vol", std::to_string(out.AudioVolume)},
      {"vn", out.DisableVideo ? "1" : "0"},
      {"sn", out.DisableSubtitle ? "1" : "0"},
  };
  return fields.at(name);
}

enum class Answer { None, Yes, No };  // None: the question must not come

struct BuildCase {
  const char* name;
  const char* format;  // "Format" of the format INI, nullptr for none
  std::map<std::string, std::string> settings;  // changes to kVideoProfile; "-" removes a key
  int srcW, srcH;
  const char* zoom;
  std::vector<int> crop;  // top, left, bottom, right of the job record (copied to the output)
  Answer answer;
  std::vector<std::pair<std::string, std::string>> expected;
};

class BuildOutputOptionsTest : public ::testing::TestWithParam<BuildCase> {
 protected:
  void SetUp() override {
    const BuildCase& c = GetParam();
    const std::string dir = test::ScratchDir(std::string("build_options_") + c.name);
    ini_ = {dir + "/format.ini", dir + "/settings.ini"};
    if (c.format) WriteString(ini_.format, kSection, "Format", c.format);
    std::map<std::string, std::string> settings = kVideoProfile;
    for (const auto& [key, value] : c.settings) settings[key] = value;
    for (const auto& [key, value] : settings)
      if (value != "-") WriteString(ini_.settings, kSection, key, value);
  }

  TOutputOptions Build(std::string filters = {}) {
    const BuildCase& c = GetParam();
    TDVDTitleInfo title{};
    title.Width = c.srcW;
    title.Height = c.srcH;
    TlvFilesRecord rec = NewTitleJob(0, title);
    rec.Zoom = c.zoom;
    if (!c.crop.empty()) {
      rec.CropTop = c.crop[0];
      rec.CropLeft = c.crop[1];
      rec.CropBottom = c.crop[2];
      rec.CropRight = c.crop[3];
    }
    TOutputOptions out;
    InitOutputOptions(out);
    out.VideoFilters = std::move(filters);
    if (!c.crop.empty()) {
      out.CropTop = rec.CropTop;
      out.CropLeft = rec.CropLeft;
      out.CropBottom = rec.CropBottom;
      out.CropRight = rec.CropRight;
    }
    BuildOutputOptions(ini_, rec, kCode, out, title, [&](const std::string& caption, const std::string& text) {
      asked_.push_back(caption + "|" + text);
      return c.answer == Answer::Yes;
    });
    return out;
  }

  ProfileIniFiles ini_;
  std::vector<std::string> asked_;
};

TEST_P(BuildOutputOptionsTest, FillsTheRecord) {
  const BuildCase& c = GetParam();
  const TOutputOptions out = Build();
  for (const auto& [name, value] : c.expected) EXPECT_EQ(Field(out, name), value) << name;
  if (c.answer == Answer::None) {
    EXPECT_TRUE(asked_.empty());
  } else {
    EXPECT_EQ(asked_, std::vector<std::string>{"Warning|Error output Video Size.Use the default size 320x240?"});
  }
}

// A letterbox joins a filter already in the record; other zoom modes add nothing to it.
TEST_P(BuildOutputOptionsTest, KeepsEarlierFilters) {
  const BuildCase& c = GetParam();
  const std::string alone = Build().VideoFilters;
  asked_.clear();
  EXPECT_EQ(Build("hflip").VideoFilters, alone.empty() ? "hflip" : "hflip," + alone) << c.name;
}

using F = std::vector<std::pair<std::string, std::string>>;

INSTANTIATE_TEST_SUITE_P(
    Cases, BuildOutputOptionsTest,
    ::testing::Values(
        // Frame sizes.
        BuildCase{"asSourceFull", nullptr, {{"paraVideoSize", "as source"}}, 720, 576, "full", {}, Answer::None,
                  F{{"s", "720x576"}, {"aspect", "720:576"}, {"crop", "0,0,0,0"}, {"vf", ""}}},
        BuildCase{"eachHalfFallsBackAlone", nullptr, {{"paraVideoSize", "abcx240"}}, 720, 480, "full", {},
                  Answer::None, F{{"s", "720x240"}}},
        BuildCase{"h263OutsideItsSizes", nullptr, {{"paraVideoEncoder", "h263"}, {"paraVideoSize", "400x300"}}, 720,
                  480, "full", {}, Answer::None, F{{"vcodec", "h263"}, {"s", "704x576"}}},
        BuildCase{"h263MiddleSize", nullptr, {{"paraVideoEncoder", "h263"}, {"paraVideoSize", "200x150"}}, 720, 480,
                  "full", {}, Answer::None, F{{"s", "352x288"}}},
        BuildCase{"h263SmallStays", nullptr, {{"paraVideoEncoder", "h263"}, {"paraVideoSize", "170x100"}}, 720, 480,
                  "full", {}, Answer::None, F{{"s", "170x100"}}},
        BuildCase{"h263ListedSize", nullptr, {{"paraVideoEncoder", "h263"}, {"paraVideoSize", "352x288"}}, 720, 480,
                  "full", {}, Answer::None, F{{"s", "352x288"}}},
        BuildCase{"noSizeYes", nullptr, {{"paraVideoSize", "-"}}, 720, 480, "full", {}, Answer::Yes,
                  F{{"s", "320x240"}}},
        BuildCase{"xLastNo", nullptr, {{"paraVideoSize", "320x"}}, 720, 480, "full", {}, Answer::No,
                  F{{"s", "720x480"}, {"aspect", "720:480"}}},
        BuildCase{"xFirstYes", nullptr, {{"paraVideoSize", "x240"}}, 720, 480, "full", {}, Answer::Yes,
                  F{{"s", "320x240"}}},
        // Letterbox: the pad filter alone sizes the picture.
        BuildCase{"letterboxWide", nullptr, {}, 720, 480, "lbox", {}, Answer::None,
                  F{{"vf", "scale=320:212,pad=320:240:0:14"}, {"s", ""}, {"aspect", ""}}},
        BuildCase{"letterboxEnlarges", nullptr, {{"paraVideoSize", "720x576"}}, 720, 480, "lbox", {}, Answer::None,
                  F{{"vf", "scale=720:480,pad=720:576:0:48"}}},
        BuildCase{"letterboxSameSize", nullptr, {{"paraVideoSize", "720x576"}}, 720, 576, "lbox", {}, Answer::None,
                  F{{"vf", "scale=720:576,pad=720:576:0:0"}}},
        BuildCase{"letterboxTall", nullptr, {}, 720, 576, "lbox", {}, Answer::None,
                  F{{"vf", "scale=300:240,pad=320:240:10:0"}}},
        BuildCase{"letterboxIgnoresCrop", nullptr, {}, 720, 480, "lbox", {8, 0, 8, 0}, Answer::None,
                  F{{"vf", "scale=320:212,pad=320:240:0:14"}, {"crop", "8,8,0,0"}}},
        // Pan and scan in extended precision.
        BuildCase{"panWide", nullptr, {}, 720, 480, "pan", {}, Answer::None,
                  F{{"crop", "0,0,58,58"}, {"s", "320x240"}, {"aspect", "320:240"}, {"vf", ""}}},
        BuildCase{"panTall", nullptr, {}, 720, 576, "pan", {}, Answer::None, F{{"crop", "14,14,0,0"}}},
        BuildCase{"panWithSideCrops", nullptr, {}, 720, 480, "pan", {0, 10, 0, 30}, Answer::None,
                  F{{"crop", "0,0,38,38"}}},
        BuildCase{"panExactly43", nullptr, {}, 640, 480, "pan", {}, Answer::None,
                  F{{"crop", "0,0,0,0"}, {"s", "320x240"}}},
        BuildCase{"panOfEmptyPicture", nullptr, {}, 0, 0, "pan", {}, Answer::None, F{{"crop", "0,0,0,0"}}},
        BuildCase{"centerDoesNothing", nullptr, {}, 720, 480, "center", {}, Answer::None,
                  F{{"s", ""}, {"aspect", ""}, {"vf", ""}, {"crop", "0,0,0,0"}}},
        // Disc targets and containers.
        BuildCase{"palDvdUpperCase", "PAL-DVD", {{"paraVideoSize", "720x576"}}, 720, 576, "lbox", {}, Answer::None,
                  F{{"target", "3/1"}, {"aspect", "16:9"}, {"f", ""}}},
        BuildCase{"ntscDvdOtherSize", "ntsc-dvd", {}, 720, 480, "lbox", {}, Answer::None,
                  F{{"target", "3/2"}, {"aspect", "4:3"}}},
        BuildCase{"svcd", "pal-svcd", {}, 720, 576, "lbox", {}, Answer::None, F{{"target", "2/1"}, {"aspect", "4:3"}}},
        BuildCase{"mpeg2AutomaticNorm", "mp4", {{"paraVideoEncoder", "mpeg2video"}}, 720, 576, "lbox", {},
                  Answer::None, F{{"target", "3/0"}, {"vcodec", "mpeg2video"}, {"f", ""}}},
        BuildCase{"aviContainer", "AVI", {}, 720, 576, "lbox", {}, Answer::None, F{{"f", "AVI"}, {"target", "0/0"}}},
        BuildCase{"x264Preset", "ipod", {{"paraVideoEncoder", "libx264"}}, 720, 576, "lbox", {}, Answer::None,
                  F{{"vcodec", "libx264"}, {"vpre", "libx264-ipod"}, {"f", "ipod"}}},
        BuildCase{"x264PresetUpperCase", "PSP", {{"paraVideoEncoder", "libx264"}}, 720, 576, "lbox", {},
                  Answer::None, F{{"vpre", "libx264-psp"}, {"f", "PSP"}}},
        BuildCase{"x264PlainPreset", nullptr, {{"paraVideoEncoder", "libx264"}}, 720, 576, "lbox", {}, Answer::None,
                  F{{"vpre", "libx264-mp4"}, {"f", ""}}},
        BuildCase{"containerDefaultCodec", nullptr, {{"paraVideoEncoder", "wmv3"}}, 720, 576, "lbox", {},
                  Answer::None, F{{"vcodec", ""}, {"vn", "0"}}},
        BuildCase{"codecCaseMatters", nullptr, {{"paraVideoEncoder", "MPEG4"}}, 720, 576, "lbox", {}, Answer::None,
                  F{{"vcodec", ""}}},
        // Rates and audio of a video profile.
        BuildCase{"ratesAsRead", nullptr, {{"paraFrameRate", "25"}, {"paraAudioBitRate", "12.2"}}, 720, 576, "lbox",
                  {}, Answer::None,
                  F{{"vb", "768000"}, {"r", "25"}, {"ab", "12200"}, {"ar", "44100"}, {"ac", "2"}, {"vol", "-1"},
                    {"acodec", "libmp3lame"}, {"an", "0"}}},
        BuildCase{"ratesAsSource", nullptr,
                  {{"paraVideoBitRate", "as source"}, {"paraFrameRate", "as source"}, {"paraSampleRate", "as source"},
                   {"paraAudioBitRate", "as source"}, {"paraChannel", "as source"}},
                  720, 576, "lbox", {}, Answer::None,
                  F{{"vb", "-1"}, {"r", ""}, {"ar", "-1"}, {"ab", "-1"}, {"ac", "-1"}}},
        BuildCase{"ratesRefused", nullptr,
                  {{"paraVideoBitRate", "7.5"}, {"paraFrameRate", "-25"}, {"paraSampleRate", "0"},
                   {"paraAudioBitRate", "abc"}, {"paraChannel", "two"}},
                  720, 576, "lbox", {}, Answer::None,
                  F{{"vb", "-1"}, {"r", ""}, {"ar", "-1"}, {"ab", "-1"}, {"ac", "-1"}}},
        BuildCase{"bitRateBeyondRange", nullptr, {{"paraVideoBitRate", "3000000"}, {"paraAudioBitRate", "1e9"}},
                  720, 576, "lbox", {}, Answer::None, F{{"vb", "-1"}, {"ab", "-1"}}},
        BuildCase{"defaultsWhenMissing", nullptr,
                  {{"paraVideoBitRate", "-"}, {"paraFrameRate", "-"}, {"paraSampleRate", "-"}, {"paraAudioBitRate", "-"},
                   {"paraChannel", "-"}, {"paraVolume", "-"}},
                  720, 576, "lbox", {}, Answer::None,
                  F{{"vb", "512000"}, {"r", "29.97"}, {"ar", "44100"}, {"ab", "128000"}, {"ac", "2"}, {"vol", "-1"}}},
        BuildCase{"volumeAndZeroChannels", nullptr, {{"paraVolume", "512"}, {"paraChannel", "0"}}, 720, 576, "lbox",
                  {}, Answer::None, F{{"vol", "512"}, {"ac", "0"}}},
        BuildCase{"amrName", nullptr, {{"paraAudioEncoder", "libamr_nb"}}, 720, 576, "lbox", {}, Answer::None,
                  F{{"acodec", "libopencore_amrnb"}, {"an", "0"}}},
        BuildCase{"noAudioEncoder", nullptr, {{"paraAudioEncoder", " "}}, 720, 576, "lbox", {}, Answer::None,
                  F{{"an", "1"}}},
        // Audio-only profiles: no container, picture or disc target decisions beyond "Format"'s target.
        BuildCase{"audioOnly", "avi",
                  {{"paraVideoEncoder", "-"}, {"paraAudioEncoder", "-"}, {"paraChannel", "0"}, {"paraVolume", "64"}},
                  720, 576, "pan", {}, Answer::None,
                  F{{"acodec", "libfaac"}, {"vn", "1"}, {"sn", "1"}, {"an", "0"}, {"f", ""}, {"vcodec", ""},
                    {"s", ""}, {"crop", "-1,-1,-1,-1"}, {"ac", "-1"}, {"vol", "64"}, {"ab", "128000"}}},
        BuildCase{"audioOnlyBlankEncoder", "pal-vcd", {{"paraVideoEncoder", "  "}, {"paraAudioEncoder", "libmp3lame"}},
                  720, 576, "lbox", {}, Answer::None,
                  F{{"acodec", "libmp3lame"}, {"vn", "1"}, {"target", "1/1"}, {"vf", ""}}}),
    [](const auto& info) { return info.param.name; });

TEST(BuildOutputOptions, VolumeThatIsNoIntegerEndsTheBuild) {
  const std::string dir = test::ScratchDir("build_options_bad_volume");
  const ProfileIniFiles ini{dir + "/format.ini", dir + "/settings.ini"};
  for (const auto& [key, value] : kVideoProfile) WriteString(ini.settings, kSection, key, value);
  WriteString(ini.settings, kSection, "paraVolume", "100%");
  TDVDTitleInfo title{};
  title.Width = 720;
  title.Height = 576;
  TOutputOptions out;
  InitOutputOptions(out);
  EXPECT_THROW(BuildOutputOptions(ini, NewTitleJob(0, title), kCode, out, title,
                                  [](const std::string&, const std::string&) { return true; }),
               std::invalid_argument);
}

}  // namespace
}  // namespace kx
