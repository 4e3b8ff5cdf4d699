// kestrix-cli run as a program on the test discs: what it lists, what its
// conversions hold, and its exit status.
#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

extern "C" {
#include <libavformat/avformat.h>
}

#include "app/settings_store.h"
#include "engine/codec_by_name.h"
#include "profiles/output_options.h"
#include "profiles/profile_catalogue.h"
#include "profiles/profile_files.h"
#include "support/decoded_media.h"
#include "support/run_program.h"
#include "support/test_env.h"
#include "support/tones.h"

namespace kx {
namespace {

namespace fs = std::filesystem;

// The program with a settings folder and home of the test's own.
class Cli {
 public:
  explicit Cli(const std::string& name) : dir_(test::ScratchDir("cli_" + name)) {
    fs::create_directories(dir_ + "/home");
  }
  test::ProgramResult Run(std::vector<std::string> args) const {
    args.insert(args.begin(), test::BuildDir() + "/kestrix-cli");
    return test::RunProgram(args, {"KESTRIX_CONFIG_DIR=" + dir_ + "/config", "HOME=" + dir_ + "/home"});
  }
  std::string SettingsIni() const { return dir_ + "/config/" + kSettingsIniFile; }
  std::string Out() const { return dir_ + "/out"; }

 private:
  std::string dir_;
};

bool Contains(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

TEST(Cli, ListsTitlesAndProfiles) {
  const Cli cli("lists");
  const test::ProgramResult titles = cli.Run({"list", test::DiscImage("three_titles")});
  EXPECT_EQ(titles.exitCode, 0) << titles.output;
  EXPECT_TRUE(Contains(titles.output, "DVD Title 1   0:00:20   720 x 576   MPEG-2   4 chapters\n")) << titles.output;
  EXPECT_TRUE(Contains(titles.output, "DVD Title 3   0:00:08")) << titles.output;
  EXPECT_TRUE(Contains(titles.output, "    audio     192  German")) << titles.output;
  EXPECT_TRUE(Contains(titles.output, "    subtitle  33  French")) << titles.output;

  const test::ProgramResult profiles = cli.Run({"profiles"});
  EXPECT_EQ(profiles.exitCode, 0) << profiles.output;
  EXPECT_TRUE(Contains(profiles.output, "  * 1  ZUNE - MPEG-4 AVC Video (*.mp4)\n")) << profiles.output;
  EXPECT_TRUE(Contains(profiles.output, "    206  AC-3 Audio Codec (*.ac3)\n")) << profiles.output;
}

TEST(Cli, ChaptersTrimAndAudioChoiceReachTheFile) {
  const Cli cli("choices");
  // Chapter 2 of title 1 starts at second 5; three seconds in is second 8.
  const test::ProgramResult result = cli.Run({"convert", test::DiscFolder("three_titles"), "--title", "1",
                                              "--chapters", "2-3", "--trim", "3+2", "--audio", "192", "--out",
                                              cli.Out()});
  ASSERT_EQ(result.exitCode, 0) << result.output;
  const std::string file = cli.Out() + "/DVD Title 1_(new).mp4";
  EXPECT_TRUE(Contains(result.output, file + "\n")) << result.output;
  const test::DecodedMedia media = test::DecodeFile(file, 10);
  ASSERT_FALSE(media.frames.empty());
  EXPECT_EQ(media.frames.front().mark, (test::FrameMark{1, 8}));
  EXPECT_NEAR(media.frames.back().seconds, 2.0, 0.2);
  EXPECT_EQ(test::DominantTone(media.samples.data(), media.samples.size(), media.sampleRate, {440, 880}), 880);
  // The window's settings keep their own output folder and profile.
  EXPECT_EQ(ReadString(cli.SettingsIni(), kSettingsSection, "OutPutDir", ""), "");
}

struct UsageCase {
  const char* name;
  std::vector<std::string> args;
};

class CliUsageTest : public ::testing::TestWithParam<UsageCase> {};

TEST_P(CliUsageTest, ExitsWithTwo) {
  std::vector<std::string> args = GetParam().args;
  for (std::string& arg : args)
    if (arg == "DISC") arg = test::DiscFolder("three_titles");
  const test::ProgramResult result = Cli(GetParam().name).Run(args);
  EXPECT_EQ(result.exitCode, 2) << result.output;
  EXPECT_TRUE(Contains(result.output, "Try 'kestrix-cli --help'")) << result.output;
}

INSTANTIATE_TEST_SUITE_P(
    Arguments, CliUsageTest,
    ::testing::Values(UsageCase{"noCommand", {}}, UsageCase{"unknownCommand", {"rip"}},
                      UsageCase{"noDrive", {"convert"}}, UsageCase{"unknownOption", {"convert", "DISC", "--fast"}},
                      UsageCase{"titleNotANumber", {"convert", "DISC", "--title", "one"}},
                      UsageCase{"titleNotOnDisc", {"convert", "DISC", "--title", "4"}},
                      UsageCase{"unknownProfile", {"convert", "DISC", "--profile", "999"}},
                      UsageCase{"chaptersBackwards", {"convert", "DISC", "--chapters", "3-1"}},
                      UsageCase{"chaptersBeyondTitle", {"convert", "DISC", "--chapters", "2-9"}},
                      UsageCase{"audioNotOnTitle", {"convert", "DISC", "--audio", "130"}},
                      UsageCase{"trimNotSeconds", {"convert", "DISC", "--trim", "1+x"}},
                      UsageCase{"valueMissing", {"convert", "DISC", "--out"}}),
    [](const auto& info) { return info.param.name; });

TEST(Cli, FailingTaskExitsWithOneAndItsText) {
  const Cli cli("failing");
  ASSERT_EQ(cli.Run({"profiles"}).exitCode, 0);  // puts the settings file in place
  // An odd frame size: the task fails when its filters and encoders are set up.
  WriteString(cli.SettingsIni(), FormatSection(kDefaultFormatCode), "paraVideoSize", "321x241");
  const test::ProgramResult result =
      cli.Run({"convert", test::DiscFolder("three_titles"), "--title", "2", "--title", "3", "--out", cli.Out()});
  EXPECT_EQ(result.exitCode, 1) << result.output;
  EXPECT_TRUE(Contains(result.output, "DVD Title 2 could not be converted: ")) << result.output;
  EXPECT_TRUE(Contains(result.output, "DVD Title 3 could not be converted: ")) << result.output;
}

std::vector<int> AllCodes() {
  std::vector<int> codes;
  const auto groups = ProfileGroups();
  for (size_t group = 0; group < groups.size(); ++group)
    for (size_t entry = 0; entry < groups[group].names.size(); ++entry)
      codes.push_back(FormatCode(static_cast<int>(group), static_cast<int>(entry)));
  return codes;
}

struct InputCloser {
  void operator()(AVFormatContext* ctx) const { avformat_close_input(&ctx); }
};

class CliProfileTest : public ::testing::TestWithParam<int> {};

// Every profile of the catalogue through the program: the file has the
// profile's codecs and frame size and the length asked for.
TEST_P(CliProfileTest, ConvertsATitleWithTheProfile) {
  const int code = GetParam();
  const Cli cli("profile_" + std::to_string(code));
  const test::ProgramResult result = cli.Run({"convert", test::DiscImage("sample"), "--title", "1", "--profile",
                                              std::to_string(code), "--trim", "0+2", "--out", cli.Out()});
  ASSERT_EQ(result.exitCode, 0) << result.output;
  const std::string section = FormatSection(code);
  const ProfileIniFiles ini{InstalledIniPath(kFormatIniFile), InstalledIniPath(kSettingsIniFile)};
  const std::string file = cli.Out() + "/DVD Title 1_(new)." + ReadString(ini.format, section, "FileExt", "");
  ASSERT_TRUE(Contains(result.output, file + "\n")) << result.output;

  // What the profile asks for, as the builder reads it.
  TDVDTitleInfo title{};
  title.Width = 720;
  title.Height = 576;
  TlvFilesRecord rec = NewTitleJob(0, title);
  rec.Zoom = ReadString(ini.settings, section, "parazoom", "lbox");
  TOutputOptions out;
  InitOutputOptions(out);
  BuildOutputOptions(ini, rec, code, out, title, [](const std::string&, const std::string&) { return false; });

  AVFormatContext* raw = nullptr;
  ASSERT_EQ(avformat_open_input(&raw, file.c_str(), nullptr, nullptr), 0);
  std::unique_ptr<AVFormatContext, InputCloser> probed(raw);
  ASSERT_GE(avformat_find_stream_info(raw, nullptr), 0);
  EXPECT_NEAR(raw->duration / double(AV_TIME_BASE), 2.0, 0.5);
  const int audioIndex = av_find_best_stream(raw, AVMEDIA_TYPE_AUDIO, -1, -1, nullptr, 0);
  ASSERT_GE(audioIndex, 0);
  EXPECT_EQ(raw->streams[audioIndex]->codecpar->codec_id, FindEncoder(out.AudioCodec)->id);
  const int videoIndex = av_find_best_stream(raw, AVMEDIA_TYPE_VIDEO, -1, -1, nullptr, 0);
  if (out.DisableVideo) {
    EXPECT_LT(videoIndex, 0);
    return;
  }
  ASSERT_GE(videoIndex, 0);
  const AVCodecParameters* picture = raw->streams[videoIndex]->codecpar;
  if (!out.VideoCodec.empty()) {
    EXPECT_EQ(picture->codec_id, FindEncoder(out.VideoCodec)->id);
  }
  EXPECT_EQ(std::to_string(picture->width) + "x" + std::to_string(picture->height),
            ReadString(ini.settings, section, "paraVideoSize", ""));
}

INSTANTIATE_TEST_SUITE_P(Catalogue, CliProfileTest, ::testing::ValuesIn(AllCodes()));

}  // namespace
}  // namespace kx
