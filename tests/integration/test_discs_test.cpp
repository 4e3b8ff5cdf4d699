// The test discs are what every other test converts: check that they are
// real DVD-Video structures with the titles, tracks and marks described in
// tests/fixtures/discs, and that the maker caches and fails as it promises.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <regex>

#include "support/decoded_media.h"
#include "support/run_program.h"
#include "support/test_env.h"
#include "support/tones.h"

namespace kx::test {
namespace {

namespace fs = std::filesystem;

std::string ReadAll(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

uint32_t BigEndian32(const std::string& data, size_t at) {
  uint32_t v = 0;
  for (size_t i = 0; i < 4; ++i) v = v << 8 | static_cast<uint8_t>(data.at(at + i));
  return v;
}

std::string Vob(const std::string& disc, int titleSet = 1) {
  char name[32];
  snprintf(name, sizeof name, "/VIDEO_TS/VTS_%02d_1.VOB", titleSet);
  return DiscFolder(disc) + name;
}

std::vector<std::string> Matches(const std::string& text, const std::string& pattern) {
  std::vector<std::string> found;
  std::regex re(pattern);
  for (auto it = std::sregex_iterator(text.begin(), text.end(), re); it != std::sregex_iterator(); ++it)
    found.push_back((*it)[1]);
  return found;
}

std::string MakeDiscsScript() { return SourceDir() + "/tests/fixtures/make_discs.py"; }

TEST(ThreeTitlesDisc, LsdvdListsTitlesChaptersTracksAndLanguages) {
  for (const std::string& source : {DiscFolder("three_titles"), DiscImage("three_titles")}) {
    ProgramResult r = RunProgram({"lsdvd", "-a", "-s", source});
    ASSERT_EQ(r.exitCode, 0) << r.output;
    EXPECT_EQ(Matches(r.output, R"(Title: \d+, Length: (\S+))"),
              (std::vector<std::string>{"00:00:20.000", "00:00:08.000", "00:00:08.000"}))
        << source;
    EXPECT_EQ(Matches(r.output, R"(Chapters: (\d+))"), (std::vector<std::string>(3, "04")));
    EXPECT_EQ(Matches(r.output, R"(Audio streams: (\d+))"), (std::vector<std::string>(3, "02")));
    EXPECT_EQ(Matches(r.output, R"(Subpictures: (\d+))"), (std::vector<std::string>(3, "02")));
    EXPECT_EQ(Matches(r.output, R"(Audio: \d, Language: (\w+))"),
              (std::vector<std::string>{"en", "de", "en", "de", "en", "de"}));
    EXPECT_EQ(Matches(r.output, R"(Audio: \d, Language: \w+ - \w+, Format: (\w+))"),
              (std::vector<std::string>{"ac3", "mpeg1", "ac3", "mpeg1", "ac3", "mpeg1"}));
    EXPECT_EQ(Matches(r.output, R"(Subtitle: \d+, Language: (\w+))"),
              (std::vector<std::string>{"en", "fr", "en", "fr", "en", "fr"}));
  }
}

TEST(ThreeTitlesDisc, FfprobeShowsMpeg2VideoAc3Mp2AndSubpictures) {
  ProgramResult r = RunProgram({"ffprobe", "-v", "error", "-show_entries", "stream=id,codec_name", "-of",
                                "csv=p=0", Vob("three_titles")});
  ASSERT_EQ(r.exitCode, 0) << r.output;
  for (const char* line : {"mpeg2video,0x1e0", "ac3,0x80", "mp2,0x1c0", "dvd_subtitle,0x20", "dvd_subtitle,0x21"})
    EXPECT_NE(r.output.find(line), std::string::npos) << line << " missing in\n" << r.output;
}

TEST(ThreeTitlesDisc, FrameAtTwelveAndAHalfSecondsShowsTitleOneSecondTwelve) {
  DecodedMedia media = DecodeFile(Vob("three_titles"), 13.0, 0x80);
  const DecodedFrame* frame = media.FrameAt(12.5);
  ASSERT_NE(frame, nullptr);
  EXPECT_EQ(frame->mark, (FrameMark{1, 12}));
  EXPECT_EQ(DominantTone(media.samples.data(), media.samples.size(), media.sampleRate, {440, 660, 880}), 440);
}

// Every frame of a title set's VOB shows its title and second, titles follow
// in disc order, and each second lasts one second of frames.
struct VobCase {
  const char* disc;
  double fps;
  std::vector<int> titleSeconds;  // duration of each title in the VOB
};

class VobContents : public ::testing::TestWithParam<VobCase> {};

TEST_P(VobContents, EverySecondOfEveryTitleInOrder) {
  const VobCase& c = GetParam();
  DecodedMedia media = DecodeFile(Vob(c.disc), 1e9);
  std::vector<FrameMark> expected;
  for (size_t t = 0; t < c.titleSeconds.size(); ++t) {
    int frames = static_cast<int>(std::lround(c.titleSeconds[t] * c.fps));
    for (int i = 0; i < frames; ++i) expected.push_back({static_cast<int>(t) + 1, static_cast<int>(i / c.fps)});
  }
  std::vector<FrameMark> actual;
  for (const DecodedFrame& f : media.frames) actual.push_back(f.mark);
  ASSERT_EQ(actual.size(), expected.size());
  for (size_t i = 0; i < actual.size(); ++i) ASSERT_EQ(actual[i], expected[i]) << "frame " << i;
}

INSTANTIATE_TEST_SUITE_P(Discs, VobContents,
                         ::testing::Values(VobCase{"three_titles", 25, {20, 8, 8}},
                                           VobCase{"twelve_titles", 25, std::vector<int>(12, 2)},
                                           VobCase{"ntsc_wide", 30000.0 / 1001, {6}},
                                           VobCase{"bench40", 25, {40}}),
                         [](const auto& info) { return std::string(info.param.disc); });

struct ToneCase {
  const char* disc;
  int streamId;  // FFmpeg's id of the program stream
  double tone;
};

class TrackTones : public ::testing::TestWithParam<ToneCase> {};

TEST_P(TrackTones, EachTrackPlaysItsTone) {
  const ToneCase& c = GetParam();
  DecodedMedia media = DecodeFile(Vob(c.disc), 2.0, c.streamId);
  ASSERT_GT(media.samples.size(), 48000u);
  EXPECT_EQ(DominantTone(media.samples.data(), media.samples.size(), media.sampleRate,
                         {300, 440, 550, 660, 770, 880, 1000, 1200}),
            c.tone);
}

// Track n of a DVD plays stream number n of its format (0x80 + n AC-3,
// 0x1C0 + n MPEG, 0xA0 + n LPCM), except three_titles' MP2 track, which the
// description puts on stream 0 so that the stream control words matter.
INSTANTIATE_TEST_SUITE_P(
    Discs, TrackTones,
    ::testing::Values(ToneCase{"three_titles", 0x80, 440}, ToneCase{"three_titles", 0x1c0, 880},
                      ToneCase{"sample", 0x80, 440}, ToneCase{"sample", 0x1c1, 660},
                      ToneCase{"ntsc_wide", 0xa0, 1000}, ToneCase{"ntsc_43", 0x80, 440},
                      ToneCase{"eight_audio", 0x80, 300}, ToneCase{"eight_audio", 0x1c1, 440},
                      ToneCase{"eight_audio", 0xa2, 550}, ToneCase{"eight_audio", 0x83, 660},
                      ToneCase{"eight_audio", 0x1c4, 770}, ToneCase{"eight_audio", 0x85, 880},
                      ToneCase{"eight_audio", 0x1c6, 1000}, ToneCase{"eight_audio", 0xa7, 1200}),
    [](const auto& info) {
      char id[8];
      snprintf(id, sizeof id, "%x", info.param.streamId);
      return std::string(info.param.disc) + "_" + id;
    });

TEST(Discs, IsoImagesCarryTheirVolumeIdentifiers) {
  const std::pair<const char*, const char*> volumes[] = {
      {"sample", "KX_SAMPLE"},         {"three_titles", "KX_THREE_TITLES"}, {"ntsc_wide", "KX_NTSC_WIDE"},
      {"ntsc_43", "KX_NTSC_43"},       {"no_audio", "KX_NO_AUDIO"},         {"eight_audio", "KX_EIGHT_AUDIO"},
      {"many_subs", "KX_MANY_SUBS"},   {"twelve_titles", "KX_TWELVE_TITLES"},
      {"second_unreadable", "KX_SECOND_UNREADABLE"}, {"damaged", "KX_DAMAGED"},
      {"truncated", "KX_TRUNCATED"},   {"bench40", "KX_BENCH40"}};
  for (auto [disc, volume] : volumes) {
    std::string iso = ReadAll(DiscImage(disc));
    ASSERT_GT(iso.size(), 16u * 2048 + 72) << disc;
    std::string id = iso.substr(16 * 2048 + 40, 32);
    EXPECT_EQ(id.substr(0, id.find_last_not_of(' ') + 1), volume) << disc;
    EXPECT_TRUE(fs::is_directory(DiscFolder(disc) + "/VIDEO_TS")) << disc;
  }
}

TEST(Discs, StreamCountsAtTheLimits) {
  struct Case {
    const char* disc;
    const char* audio;
    const char* subpictures;
  };
  for (const Case& c : {Case{"no_audio", "00", "00"}, Case{"eight_audio", "08", "00"}, Case{"many_subs", "01", "32"}}) {
    ProgramResult r = RunProgram({"lsdvd", DiscFolder(c.disc)});
    ASSERT_EQ(r.exitCode, 0) << r.output;
    EXPECT_EQ(Matches(r.output, R"(Audio streams: (\d+))"), std::vector<std::string>{c.audio}) << c.disc;
    EXPECT_EQ(Matches(r.output, R"(Subpictures: (\d+))"), std::vector<std::string>{c.subpictures}) << c.disc;
  }
  EXPECT_TRUE(DecodeFile(Vob("no_audio"), 1.0).samples.empty());
}

TEST(FaultDiscs, SecondUnreadableCountsThreeTitlesButTitleSetTwoIsGarbage) {
  std::string vmg = ReadAll(DiscFolder("second_unreadable") + "/VIDEO_TS/VIDEO_TS.IFO");
  ASSERT_EQ(vmg.substr(0, 12), "DVDVIDEO-VMG");
  size_t titleTable = size_t{BigEndian32(vmg, 0xC4)} * 2048;
  ASSERT_LT(titleTable + 2, vmg.size());
  EXPECT_EQ(static_cast<uint8_t>(vmg[titleTable]) << 8 | static_cast<uint8_t>(vmg[titleTable + 1]), 3);

  for (int titleSet : {1, 2, 3}) {
    char name[32];
    snprintf(name, sizeof name, "/VIDEO_TS/VTS_%02d_0.", titleSet);
    for (const char* ext : {"IFO", "BUP"}) {
      std::string ifo = ReadAll(DiscFolder("second_unreadable") + name + ext);
      EXPECT_EQ(ifo.substr(0, 12) == "DVDVIDEO-VTS", titleSet != 2) << name << ext;
    }
  }
  // The image carries the same damage: titles 1 and 3 open, title 2 does not.
  for (int title : {1, 2, 3}) {
    ProgramResult r = RunProgram({"lsdvd", "-t", std::to_string(title), DiscImage("second_unreadable")});
    EXPECT_EQ(r.exitCode == 0, title != 2) << "title " << title << "\n" << r.output;
  }
}

TEST(FaultDiscs, DamagedVobLosesPicturesInTheMiddleOnly) {
  DecodedMedia media = DecodeFile(Vob("damaged"), 1e9);
  ASSERT_FALSE(media.frames.empty());
  EXPECT_EQ(media.frames.front().mark, (FrameMark{1, 0}));
  EXPECT_EQ(media.frames.back().mark, (FrameMark{1, 9}));
  int intact = 0;
  for (const DecodedFrame& f : media.frames) intact += f.mark.second >= 0;
  EXPECT_LT(intact, 250) << "no frame was lost or damaged";
}

TEST(FaultDiscs, TruncatedImageEndsBeforeItsVolume) {
  std::string iso = ReadAll(DiscImage("truncated"));
  ASSERT_GT(iso.size(), 16u * 2048 + 84);
  uint32_t sectors = 0;  // volume space size, little-endian half of the both-endian field
  for (int i = 3; i >= 0; --i) sectors = sectors << 8 | static_cast<uint8_t>(iso[16 * 2048 + 80 + i]);
  EXPECT_LT(iso.size(), uint64_t{sectors} * 2048 * 3 / 4);
  EXPECT_GT(iso.size(), uint64_t{sectors} * 2048 / 4);
}

TEST(Maker, SecondRunReusesTheDiscAndRebuildingGivesIdenticalIfoFiles) {
  std::string out = ScratchDir("make_discs_cache");
  ProgramResult first = RunProgram({"python3", MakeDiscsScript(), "--out", out, "three_titles"});
  ASSERT_EQ(first.exitCode, 0) << first.output;
  EXPECT_NE(first.output.find("built three_titles"), std::string::npos) << first.output;
  auto builtAt = fs::last_write_time(out + "/three_titles.iso");

  ProgramResult second = RunProgram({"python3", MakeDiscsScript(), "--out", out, "three_titles"});
  ASSERT_EQ(second.exitCode, 0) << second.output;
  EXPECT_NE(second.output.find("reused three_titles"), std::string::npos) << second.output;
  EXPECT_EQ(fs::last_write_time(out + "/three_titles.iso"), builtAt);

  // A build of its own in another folder is byte for byte the fixture's.
  for (const char* ifo : {"VIDEO_TS.IFO", "VIDEO_TS.BUP", "VTS_01_0.IFO", "VTS_01_0.BUP"}) {
    EXPECT_EQ(ReadAll(out + "/three_titles/VIDEO_TS/" + ifo),
              ReadAll(DiscFolder("three_titles") + "/VIDEO_TS/" + ifo))
        << ifo;
  }
}

TEST(Maker, FailingToolIsNamedAndLeavesNoFinishedLookingDisc) {
  // A dvdauthor that fails comes first in PATH.
  std::string out = ScratchDir("make_discs_failure");
  fs::path bin = fs::path(out) / "bin";
  fs::create_directories(bin);
  std::ofstream(bin / "dvdauthor") << "#!/bin/sh\necho 'ERR: disc full' >&2\nexit 3\n";
  fs::permissions(bin / "dvdauthor", fs::perms::owner_all);
  const char* path = std::getenv("PATH");
  fs::path discs = fs::path(out) / "discs";
  ProgramResult r = RunProgram({"python3", MakeDiscsScript(), "--out", discs.string(), "no_audio"},
                               {"PATH=" + bin.string() + ":" + (path ? path : "/usr/bin:/bin")});
  EXPECT_NE(r.exitCode, 0);
  EXPECT_NE(r.output.find("disc 'no_audio'"), std::string::npos) << r.output;
  EXPECT_NE(r.output.find("dvdauthor failed with status 3"), std::string::npos) << r.output;
  EXPECT_NE(r.output.find("ERR: disc full"), std::string::npos) << r.output;
  EXPECT_FALSE(fs::exists(discs / "no_audio"));
  EXPECT_FALSE(fs::exists(discs / "no_audio.iso"));
  EXPECT_FALSE(fs::exists(discs / "no_audio.stamp"));
  for (const auto& entry : fs::directory_iterator(discs))
    EXPECT_EQ(entry.path().filename().string().find(".build-"), std::string::npos) << entry.path();
}

TEST(Maker, UnknownDiscNameIsRefused) {
  ProgramResult r = RunProgram({"python3", MakeDiscsScript(), "--out", ScratchDir("make_discs_unknown"), "no_such_disc"});
  EXPECT_NE(r.exitCode, 0);
  EXPECT_NE(r.output.find("no_such_disc"), std::string::npos) << r.output;
}

}  // namespace
}  // namespace kx::test
