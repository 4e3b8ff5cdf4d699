#include "profiles/output_file_name.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "app/settings_store.h"
#include "support/test_env.h"

namespace kx {
namespace {

namespace fs = std::filesystem;

class RecordingBoxes : public MessageBoxes {
 public:
  void Show(const std::string& caption, const std::string& text, MessageIcon) override {
    shown.push_back(caption + "|" + text);
  }
  bool AskYesNo(const std::string&, const std::string&) override {
    ADD_FAILURE() << "naming an output asks nothing";
    return false;
  }
  std::vector<std::string> shown;
};

struct NameCase {
  const char* name;
  const char* sourceName;
  const char* extension;
  std::vector<const char*> existing;  // files in the output folder; "@x" is a dangling link named x
  const char* expected;               // file name in the output folder
};

class OutputFileNameTest : public ::testing::TestWithParam<NameCase> {};

TEST_P(OutputFileNameTest, PicksTheFirstFreeName) {
  const NameCase& c = GetParam();
  const std::string dir = test::ScratchDir(std::string("output_name_") + c.name);
  const std::string out = dir + "/out";
  fs::create_directories(out);
  for (std::string file : c.existing) {
    if (file[0] == '@')
      fs::create_symlink(dir + "/nowhere", out + "/" + file.substr(1));
    else
      std::ofstream(out + "/" + file) << "x";
  }
  const std::string ini = dir + "/settings.ini";
  WriteString(ini, kSettingsSection, "OutPutDir", out + "/");
  RecordingBoxes boxes;
  EXPECT_EQ(MakeOutputFileName(ini, c.sourceName, c.extension, boxes), out + "/" + c.expected);
  EXPECT_TRUE(boxes.shown.empty());
}

INSTANTIATE_TEST_SUITE_P(
    Cases, OutputFileNameTest,
    ::testing::Values(NameCase{"free", "DVD Title 1", ".mp4", {}, "DVD Title 1_(new).mp4"},
                      NameCase{"twoTaken", "clip", ".mp4", {"clip_(new).mp4", "clip_(new_1).mp4"},
                               "clip_(new_2).mp4"},
                      // Counting starts at 1 on every call, so a gap is filled first.
                      NameCase{"gapFilled", "clip", ".mp4", {"clip_(new).mp4", "clip_(new_2).mp4"},
                               "clip_(new_1).mp4"},
                      NameCase{"otherExtensionFree", "clip", ".avi", {"clip_(new).mp4"}, "clip_(new).avi"},
                      NameCase{"pathAndExtensionDropped", "/media/disc/clip.part.vob", ".mp3", {},
                               "clip.part_(new).mp3"},
                      NameCase{"danglingLinkIsTaken", "clip", ".mp4", {"@clip_(new).mp4"}, "clip_(new_1).mp4"}),
    [](const auto& info) { return info.param.name; });

TEST(OutputFileName, CreatesAMissingFolder) {
  const std::string dir = test::ScratchDir("output_name_missing_folder");
  const std::string ini = dir + "/settings.ini";
  WriteString(ini, kSettingsSection, "OutPutDir", dir + "/a/b");
  RecordingBoxes boxes;
  EXPECT_EQ(MakeOutputFileName(ini, "clip", ".mp4", boxes), dir + "/a/b/clip_(new).mp4");
  EXPECT_TRUE(fs::is_directory(dir + "/a/b"));
  EXPECT_TRUE(boxes.shown.empty());
}

TEST(OutputFileName, FolderThatCannotBeMadeFallsBackToTheDefault) {
  const std::string dir = test::ScratchDir("output_name_fallback");
  const std::string oldHome = std::getenv("HOME");
  setenv("HOME", dir.c_str(), 1);
  std::ofstream(dir + "/file") << "x";
  const std::string ini = dir + "/settings.ini";
  const std::string blocked = dir + "/file/out";
  WriteString(ini, kSettingsSection, "OutPutDir", blocked);
  RecordingBoxes boxes;
  const std::string name = MakeOutputFileName(ini, "clip", ".mp4", boxes);
  setenv("HOME", oldHome.c_str(), 1);

  EXPECT_EQ(name, dir + "/tarnwell/clip_(new).mp4");
  EXPECT_TRUE(fs::is_directory(dir + "/tarnwell"));
  EXPECT_EQ(ReadString(ini, kSettingsSection, "OutPutDir", ""), dir + "/tarnwell");
  EXPECT_EQ(boxes.shown, std::vector<std::string>{"Warning|Cannot create output directory:" + blocked +
                                                  ".It will create default directory " + dir + "/tarnwell!"});
}

}  // namespace
}  // namespace kx
