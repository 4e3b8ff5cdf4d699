// The INI files installed with the program: they are put in place on a
// first start only, and every profile of the catalogue converts a real DVD
// title with its default choices. The conversion runs through the ffmpeg
// program with the output record's values (the engine's own presets aside),
// so what is checked here is that the encoders, containers, sizes and rates
// the defaults name go together.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

extern "C" {
#include <libavformat/avformat.h>
#include <libavutil/parseutils.h>
}

#include "app/atomic_file.h"
#include "app/settings_store.h"
#include "dvd/dvd_plug_in.h"
#include "engine/codec_by_name.h"
#include "engine/disc_target.h"
#include "profiles/output_options.h"
#include "profiles/profile_catalogue.h"
#include "profiles/profile_files.h"
#include "support/run_program.h"
#include "support/test_env.h"

namespace kx {
namespace {

TEST(InstalledProfiles, PutInPlaceOnlyWhenMissing) {
  const std::string dir = test::ScratchDir("installed_profiles_in_place");
  const std::string formatIni = dir + "/config/" + kFormatIniFile, settingsIni = dir + "/config/" + kSettingsIniFile;
  InstallProfileFiles(formatIni, settingsIni);
  EXPECT_EQ(ReadWholeFile(formatIni), ReadWholeFile(InstalledIniPath(kFormatIniFile)));
  EXPECT_EQ(ReadWholeFile(settingsIni), ReadWholeFile(InstalledIniPath(kSettingsIniFile)));
  EXPECT_EQ(ReadCurrentProfile(settingsIni).code, kDefaultFormatCode);

  WriteString(settingsIni, "formatInfo104", "paraVideoEncoder", "libxvid");
  InstallProfileFiles(formatIni, settingsIni);
  EXPECT_EQ(ReadString(settingsIni, "formatInfo104", "paraVideoEncoder", ""), "libxvid");
}

std::vector<int> AllCodes() {
  std::vector<int> codes;
  const auto groups = ProfileGroups();
  for (size_t group = 0; group < groups.size(); ++group)
    for (size_t entry = 0; entry < groups[group].names.size(); ++entry)
      codes.push_back(FormatCode(static_cast<int>(group), static_cast<int>(entry)));
  return codes;
}

// The norm of a disc target as the engine decides it: the record's own,
// else by the frame rates asked for and found, else PAL.
std::string TargetNorm(const TOutputOptions& out, AVRational inputRate) {
  if (out.TargetNorm == 1) return "pal-";
  if (out.TargetNorm == 2) return "ntsc-";
  AVRational asked{0, 1};
  if (!out.FrameRate.empty() && av_parse_video_rate(&asked, out.FrameRate.c_str()) < 0) asked = {0, 1};
  switch (DecideNorm(asked, {inputRate}, "pal")) {
    case TNorm::PAL: return "pal-";
    case TNorm::NTSC: return "ntsc-";
    case TNorm::FILM: return "film-";
  }
  return "";
}

// The ffmpeg arguments that carry an output record's choices.
std::vector<std::string> OutputArguments(const TOutputOptions& out, AVRational inputRate) {
  std::vector<std::string> args;
  auto add = [&args](std::initializer_list<std::string> more) { args.insert(args.end(), more); };
  if (out.Target >= 1 && out.Target <= 3) {
    const char* disc[] = {"vcd", "svcd", "dvd"};
    add({"-target", TargetNorm(out, inputRate) + disc[out.Target - 1]});
  }
  if (!out.FileFormat.empty()) add({"-f", out.FileFormat});
  if (out.DisableVideo) add({"-vn"});
  if (out.DisableAudio) add({"-an"});
  add({"-sn"});
  if (!out.VideoCodec.empty()) add({"-c:v", InstalledEncoderName(out.VideoCodec)});
  // NTSC DV is coded from 4:1:1 pictures; the DVD's 4:2:0 would be refused.
  if (out.VideoCodec == "dvvideo" && out.FrameRate == "29.97") add({"-pix_fmt", "yuv411p"});
  if (out.VideoBitrate > 0) add({"-b:v", std::to_string(out.VideoBitrate)});
  if (!out.FrameRate.empty()) add({"-r", out.FrameRate});
  if (!out.FrameSize.empty()) add({"-s", out.FrameSize});
  if (!out.FrameAspectRatio.empty()) add({"-aspect", out.FrameAspectRatio});
  std::string filters;
  if (out.CropTop > 0 || out.CropBottom > 0 || out.CropLeft > 0 || out.CropRight > 0) {
    const int top = std::max(out.CropTop, 0), bottom = std::max(out.CropBottom, 0);
    const int left = std::max(out.CropLeft, 0), right = std::max(out.CropRight, 0);
    filters = "crop=iw-" + std::to_string(left + right) + ":ih-" + std::to_string(top + bottom) + ":" +
              std::to_string(left) + ":" + std::to_string(top);
  }
  if (!out.VideoFilters.empty()) filters += (filters.empty() ? "" : ",") + out.VideoFilters;
  if (!filters.empty() && !out.DisableVideo) add({"-vf", filters});
  if (!out.AudioCodec.empty()) add({"-c:a", InstalledEncoderName(out.AudioCodec)});
  if (out.AudioSampleRate > 0) add({"-ar", std::to_string(out.AudioSampleRate)});
  if (out.AudioChannels > 0) add({"-ac", std::to_string(out.AudioChannels)});
  if (out.AudioBitrate > 0) add({"-b:a", std::to_string(out.AudioBitrate)});
  if (out.AudioVolume >= 0) add({"-af", "volume=" + std::to_string(out.AudioVolume / 256.0)});
  return args;
}

struct InputCloser {
  void operator()(AVFormatContext* ctx) const { avformat_close_input(&ctx); }
};

class ProfileDefaultsTest : public ::testing::TestWithParam<int> {
 protected:
  static void SetUpTestSuite() {
    ASSERT_TRUE(DVDPlugIn::LoadDVDLib(test::BuildDir() + "/LibAV"));
    ASSERT_GE(DVDPlugIn::EnumTitles(test::DiscFolder("sample")), 1);
    ASSERT_TRUE(DVDPlugIn::GetTitleInfo(0, title_));
  }
  static inline TDVDTitleInfo title_{};
};

TEST_P(ProfileDefaultsTest, ConvertsADiscTitle) {
  const int code = GetParam();
  const std::string section = FormatSection(code);
  const ProfileIniFiles ini{InstalledIniPath(kFormatIniFile), InstalledIniPath(kSettingsIniFile)};
  const std::string fileExt = ReadString(ini.format, section, "FileExt", "");
  ASSERT_FALSE(fileExt.empty()) << "no section " << section;
  const bool video = ReadString(ini.format, section, "VideoEncoder", "null") != "null";
  EXPECT_EQ(ReadString(ini.settings, section, "paraVideoEncoder", "").empty(), !video);
  EXPECT_EQ(ReadString(ini.settings, section, "Description", ""), ProfileName(code));

  // As conversion start does it: zoom from the profile, a fresh record.
  TlvFilesRecord rec = NewTitleJob(0, title_);
  rec.Zoom = ReadString(ini.settings, section, "parazoom", "lbox");
  TOutputOptions out;
  InitOutputOptions(out);
  BuildOutputOptions(ini, rec, code, out, title_, [](const std::string&, const std::string& text) {
    ADD_FAILURE() << "asked: " << text;
    return false;
  });

  const std::string file = test::ScratchDir("profile_defaults_" + std::to_string(code)) + "/out." + fileExt;
  std::vector<std::string> args = {"ffmpeg", "-hide_banner", "-nostdin", "-y", "-i",
                                   test::DiscFolder("sample") + "/VIDEO_TS/VTS_01_1.VOB"};
  for (std::string& arg : OutputArguments(out, AVRational{title_.FramesPerSecond, 1}))
    args.push_back(std::move(arg));
  args.insert(args.end(), {"-t", "2", file});
  const test::ProgramResult result = test::RunProgram(args);
  ASSERT_EQ(result.exitCode, 0) << result.output;

  AVFormatContext* raw = nullptr;
  ASSERT_EQ(avformat_open_input(&raw, file.c_str(), nullptr, nullptr), 0);
  std::unique_ptr<AVFormatContext, InputCloser> probed(raw);
  ASSERT_GE(avformat_find_stream_info(raw, nullptr), 0);
  const int videoIndex = av_find_best_stream(raw, AVMEDIA_TYPE_VIDEO, -1, -1, nullptr, 0);
  const int audioIndex = av_find_best_stream(raw, AVMEDIA_TYPE_AUDIO, -1, -1, nullptr, 0);
  ASSERT_GE(audioIndex, 0);
  const AVCodecParameters* audio = raw->streams[audioIndex]->codecpar;
  EXPECT_EQ(audio->codec_id, FindEncoder(out.AudioCodec)->id);
  EXPECT_EQ(audio->sample_rate, out.AudioSampleRate);
  EXPECT_EQ(audio->ch_layout.nb_channels, out.AudioChannels);
  if (!video) {
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

INSTANTIATE_TEST_SUITE_P(Catalogue, ProfileDefaultsTest, ::testing::ValuesIn(AllCodes()));

}  // namespace
}  // namespace kx
