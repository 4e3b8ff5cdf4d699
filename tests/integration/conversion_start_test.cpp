// Conversion start on real test discs: which rows become tasks, in which
// order, what the user is told, and the option records of a title's task.
#include "conversion/conversion_start.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "app/settings_store.h"
#include "dvd/dvd_plug_in.h"
#include "profiles/profile_catalogue.h"
#include "profiles/profile_files.h"
#include "support/scripted_messages.h"
#include "support/test_env.h"

namespace kx {
namespace {

AskYesNo NoQuestion() {
  return [](const std::string&, const std::string& text) {
    ADD_FAILURE() << "asked: " << text;
    return false;
  };
}

// A configuration folder as a first start leaves it, with the output folder
// in the test's scratch folder.
struct Config {
  explicit Config(const std::string& name) : dir(test::ScratchDir(name)) {
    ini = {dir + "/config/" + kFormatIniFile, dir + "/config/" + kSettingsIniFile};
    InstallProfileFiles(ini.format, ini.settings);
    WriteString(ini.settings, kSettingsSection, "OutPutDir", dir + "/out");
  }
  std::string dir;
  ProfileIniFiles ini;
};

// The title list of a disc: one ticked row per title index, as the disc
// opening makes them (an unreadable title gets an empty record).
struct TitleList {
  TitleList(const std::string& drive, std::vector<int> titleIndexes) {
    EXPECT_TRUE(DVDPlugIn::LoadDVDLib(test::BuildDir() + "/LibAV"));
    EXPECT_GE(DVDPlugIn::EnumTitles(drive), 1);
    for (int index : titleIndexes) {
      TDVDTitleInfo info{};
      DVDPlugIn::GetTitleInfo(index, info);
      records.push_back(NewTitleJob(index, info));
    }
    for (size_t i = 0; i < records.size(); ++i)
      rows.push_back({"DVD Title " + std::to_string(titleIndexes[i] + 1), true, &records[i]});
  }
  std::vector<TlvFilesRecord> records;
  std::vector<TitleRowRef> rows;
};

TEST(ConversionStart, TickedRowsBecomeTasksInListOrder) {
  Config config("conversion_start_order");
  const std::string drive = test::DiscFolder("three_titles");
  TitleList list(drive, {0, 0, 1, 2});
  list.rows[0].Ticked = false;
  TFFEncoder encoder;
  test::ScriptedMessages boxes;
  const StartedConversion started = StartConversion(list.rows, drive, config.ini, encoder, boxes);
  EXPECT_TRUE(boxes.shown.empty());
  EXPECT_TRUE(boxes.asked.empty());
  EXPECT_TRUE(started.Ready);
  EXPECT_EQ(started.TaskRows, (std::vector<int>{1, 2, 3}));
  EXPECT_EQ(encoder.TasksCount(), 3);
  EXPECT_EQ(started.OutputFiles, (std::vector<std::string>{config.dir + "/out/DVD Title 1_(new).mp4",
                                                           config.dir + "/out/DVD Title 2_(new).mp4",
                                                           config.dir + "/out/DVD Title 3_(new).mp4"}));
  EXPECT_TRUE(encoder.Preview());
  // The zoom mode comes from the profile, for ticked rows only.
  EXPECT_EQ(list.records[0].Zoom, "");
  EXPECT_EQ(list.records[1].Zoom, ReadString(config.ini.settings, FormatSection(kDefaultFormatCode), "paraZoom", "?"));
}

TEST(ConversionStart, UnreadableTitleIsLeftOutWithOneWarning) {
  Config config("conversion_start_unreadable");
  const std::string drive = test::DiscFolder("second_unreadable");
  TitleList list(drive, {0, 1, 2});
  TFFEncoder encoder;
  test::ScriptedMessages boxes;
  const StartedConversion started = StartConversion(list.rows, drive, config.ini, encoder, boxes);
  ASSERT_EQ(boxes.shown.size(), 1u);
  EXPECT_EQ(boxes.shown[0].caption, "Warning");
  EXPECT_EQ(boxes.shown[0].text, "Title #2 is invalid");
  EXPECT_TRUE(started.Ready);
  EXPECT_EQ(started.TaskRows, (std::vector<int>{0, 2}));
  EXPECT_EQ(encoder.TasksCount(), 2);
}

TEST(ConversionStart, NoTickedRowIsTold) {
  Config config("conversion_start_none");
  const std::string drive = test::DiscFolder("three_titles");
  TitleList list(drive, {0, 1});
  for (TitleRowRef& row : list.rows) row.Ticked = false;
  TFFEncoder encoder;
  test::ScriptedMessages boxes;
  const StartedConversion started = StartConversion(list.rows, drive, config.ini, encoder, boxes);
  ASSERT_EQ(boxes.shown.size(), 1u);
  EXPECT_EQ(boxes.shown[0].caption, "Warning");
  EXPECT_EQ(boxes.shown[0].text, "Please select a file by clicking the check box!");
  EXPECT_FALSE(started.Ready);
  EXPECT_EQ(encoder.TasksCount(), 0);
}

// A task that cannot be set up ends the start with the engine's reason,
// naming the title; the tasks of the rows before it stay registered.
struct FailureCase {
  const char* name;
  bool wrongDrive;           // the input cannot be opened
  const char* audioEncoder;  // the profile's, when not null
  const char* reason;        // part of the engine's text
};

class StartFailureTest : public ::testing::TestWithParam<FailureCase> {};

TEST_P(StartFailureTest, EndsTheStartWithTheEnginesText) {
  const FailureCase& c = GetParam();
  Config config(std::string("conversion_start_") + c.name);
  const std::string drive = test::DiscFolder("three_titles");
  TitleList list(drive, {0, 1});
  if (c.audioEncoder)
    WriteString(config.ini.settings, FormatSection(kDefaultFormatCode), "paraAudioEncoder", c.audioEncoder);
  TFFEncoder encoder;
  test::ScriptedMessages boxes;
  const StartedConversion started = StartConversion(
      list.rows, c.wrongDrive ? config.dir + "/no_disc" : drive, config.ini, encoder, boxes);
  EXPECT_FALSE(started.Ready);
  EXPECT_TRUE(started.TaskRows.empty());
  EXPECT_EQ(encoder.TasksCount(), 0);
  ASSERT_EQ(boxes.shown.size(), 1u);
  EXPECT_EQ(boxes.shown[0].caption, "Warning");
  EXPECT_EQ(boxes.shown[0].text.rfind("DVD Title 1 could not be converted: ", 0), 0u) << boxes.shown[0].text;
  EXPECT_NE(boxes.shown[0].text.find(c.reason), std::string::npos) << boxes.shown[0].text;
}

INSTANTIATE_TEST_SUITE_P(Tasks, StartFailureTest,
                         ::testing::Values(FailureCase{"inputMissing", true, nullptr, "no_disc"},
                                           FailureCase{"unknownEncoder", false, "libamr_nb", "Unknown encoder"}),
                         [](const auto& info) { return info.param.name; });

// The option records of one title's task, with the default profile.
struct OptionsCase {
  const char* name;
  void (*edit)(TlvFilesRecord&);
  int formatCode;
  bool hook;
  std::int64_t startTime, recordingTime;
  int cropTop, cropBottom, cropLeft, cropRight;
};

class TitleTaskOptionsTest : public ::testing::TestWithParam<OptionsCase> {};

TEST_P(TitleTaskOptionsTest, FollowTheJobRecord) {
  const OptionsCase& c = GetParam();
  TDVDTitleInfo title{};
  title.Width = 720;
  title.Height = 576;
  title.ChapterCount = 3;
  TlvFilesRecord rec = NewTitleJob(0, title);
  rec.Zoom = "lbox";
  c.edit(rec);
  const ProfileIniFiles ini{InstalledIniPath(kFormatIniFile), InstalledIniPath(kSettingsIniFile)};
  const TitleTaskOptions options = TitleTaskOptionsOf(rec, title, ini, c.formatCode, NoQuestion());
  EXPECT_EQ(options.Output.CustomHook, c.hook);
  EXPECT_EQ(options.Input.StartTime, c.startTime);
  EXPECT_EQ(options.Output.RecordingTime, c.recordingTime);
  EXPECT_EQ(options.Output.CropTop, c.cropTop);
  EXPECT_EQ(options.Output.CropBottom, c.cropBottom);
  EXPECT_EQ(options.Output.CropLeft, c.cropLeft);
  EXPECT_EQ(options.Output.CropRight, c.cropRight);
}

TWmRec Item(const char* text, const char* imageFile) {
  TWmRec item;
  item.Kind = *imageFile ? kWmImage : kWmText;
  item.Text = text;
  item.ImageFile = imageFile;
  return item;
}

constexpr int kVideo = kDefaultFormatCode;
constexpr int kMp3 = 200;  // audio only: the builder leaves the crop fields alone

INSTANTIATE_TEST_SUITE_P(
    Records, TitleTaskOptionsTest,
    ::testing::Values(
        OptionsCase{"neutral", [](TlvFilesRecord&) {}, kVideo, false, 0, kUnsetTime, 0, 0, 0, 0},
        OptionsCase{"exposure", [](TlvFilesRecord& r) { r.Exposure = 1; }, kVideo, true, 0, kUnsetTime, 0, 0, 0, 0},
        OptionsCase{"secondWatermarkReal",
                    [](TlvFilesRecord& r) { r.WaterMarks = {Item("", ""), Item("", "/tmp/logo.bmp")}; }, kVideo,
                    true, 0, kUnsetTime, 0, 0, 0, 0},
        OptionsCase{"trimmed",
                    [](TlvFilesRecord& r) {
                      r.TrimStart = 10'000'000;
                      r.TrimLength = 2'000'000;
                    },
                    kVideo, false, 10'000'000, 2'000'000, 0, 0, 0, 0},
        OptionsCase{"oneMarginCopiesAll", [](TlvFilesRecord& r) { r.CropLeft = 2; }, kVideo, false, 0, kUnsetTime,
                    0, 0, 2, 0},
        OptionsCase{"noMarginsStayUnset", [](TlvFilesRecord&) {}, kMp3, false, 0, kUnsetTime, -1, -1, -1, -1},
        OptionsCase{"oneMarginAudioOnly", [](TlvFilesRecord& r) { r.CropBottom = 2; }, kMp3, false, 0, kUnsetTime,
                    0, 2, 0, 0}),
    [](const auto& info) { return info.param.name; });

}  // namespace
}  // namespace kx
