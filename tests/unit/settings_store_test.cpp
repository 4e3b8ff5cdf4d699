#include "app/settings_store.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "support/test_env.h"

namespace kx {
namespace {

namespace fs = std::filesystem;

void PutFile(const std::string& path, const std::string& text) {
  std::ofstream(path, std::ios::binary) << text;
}

std::string FileText(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

class SettingsStoreTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = test::ScratchDir(::testing::UnitTest::GetInstance()->current_test_info()->name());
    ini_ = dir_ + "/settings.ini";
  }
  std::string dir_;
  std::string ini_;
};

// One read from a given file text.
enum class Kind { String, Integer, Bool };
struct ReadCase {
  const char* name;
  const char* text;
  const char* section;
  const char* key;
  Kind kind;
  const char* defaultValue;  // as text: "7", "1"/"0" for Booleans
  const char* expected;
};

class SettingsReadTest : public SettingsStoreTest, public ::testing::WithParamInterface<ReadCase> {};

TEST_P(SettingsReadTest, ReadsValueOrDefault) {
  const ReadCase& c = GetParam();
  PutFile(ini_, c.text);
  switch (c.kind) {
    case Kind::String:
      EXPECT_EQ(ReadString(ini_, c.section, c.key, c.defaultValue), c.expected);
      break;
    case Kind::Integer:
      EXPECT_EQ(ReadInteger(ini_, c.section, c.key, std::stoi(c.defaultValue)), std::stoi(c.expected));
      break;
    case Kind::Bool:
      EXPECT_EQ(ReadBool(ini_, c.section, c.key, std::string(c.defaultValue) == "1"),
                std::string(c.expected) == "1");
      break;
  }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, SettingsReadTest,
    ::testing::Values(
        // The key pairs that different parts of the program spell differently.
        ReadCase{"snapOutPutDir", "[settings]\nsnapOutPutDir=/snaps\n", "settings", "SnapOutPutDir",
                 Kind::String, "", "/snaps"},
        ReadCase{"priority", "[settings]\npriority=3\n", "settings", "Priority", Kind::Integer, "1", "3"},
        ReadCase{"paraZoom", "[formatInfo1]\nparaZoom=crop\n", "formatInfo1", "parazoom", Kind::String,
                 "lbox", "crop"},
        ReadCase{"sectionCase", "[SETTINGS]\nvolume=12\n", "settings", "volume", Kind::Integer, "0", "12"},
        ReadCase{"crlf", "[settings]\r\nFormatName=AVI\r\nFormatCode=7\r\n", "settings", "FormatName",
                 Kind::String, "", "AVI"},
        ReadCase{"blanksAroundEquals", "[ settings ]\n  jpgCmp =  55  \n", "settings", "jpgCmp",
                 Kind::Integer, "30", "55"},
        ReadCase{"valueWithEquals", "[s]\nk=a=b\n", "s", "k", Kind::String, "", "a=b"},
        ReadCase{"firstOfDuplicates", "[s]\nk=1\nk=2\n", "s", "k", Kind::Integer, "0", "1"},
        ReadCase{"secondSectionSameName", "[s]\na=1\n[t]\nk=9\n[S]\nk=2\n", "s", "k", Kind::Integer, "0",
                 "2"},
        // Missing and misplaced keys give the default.
        ReadCase{"missingKey", "[settings]\nother=1\n", "settings", "mute", Kind::Integer, "5", "5"},
        ReadCase{"missingSection", "[other]\nmute=1\n", "settings", "mute", Kind::Integer, "5", "5"},
        ReadCase{"keyBeforeAnySection", "mute=1\n[settings]\n", "settings", "mute", Kind::Integer, "5", "5"},
        ReadCase{"commentedOut", "[settings]\n;mute=1\n#mute=1\n", "settings", "mute", Kind::Integer, "5",
                 "5"},
        ReadCase{"emptyFile", "", "settings", "OutPutDir", Kind::String, "/home/x/tarnwell",
                 "/home/x/tarnwell"},
        ReadCase{"emptyString", "[settings]\nOutPutDir=\n", "settings", "OutPutDir", Kind::String, "dflt",
                 ""},
        // Integers are decimal; anything else is malformed and gives the default.
        ReadCase{"negative", "[s]\nk=-7\n", "s", "k", Kind::Integer, "0", "-7"},
        ReadCase{"plusSign", "[s]\nk=+5\n", "s", "k", Kind::Integer, "0", "5"},
        ReadCase{"trailingLetters", "[s]\nk=12abc\n", "s", "k", Kind::Integer, "4", "4"},
        ReadCase{"hex", "[s]\nk=0x10\n", "s", "k", Kind::Integer, "4", "4"},
        ReadCase{"emptyInteger", "[s]\nk=\n", "s", "k", Kind::Integer, "4", "4"},
        ReadCase{"tooLarge", "[s]\nk=99999999999\n", "s", "k", Kind::Integer, "4", "4"},
        ReadCase{"fraction", "[s]\nk=1.5\n", "s", "k", Kind::Integer, "4", "4"},
        // Booleans are integers: 0 is false, every other integer true.
        ReadCase{"boolOne", "[s]\nk=1\n", "s", "k", Kind::Bool, "0", "1"},
        ReadCase{"boolZero", "[s]\nk=0\n", "s", "k", Kind::Bool, "1", "0"},
        ReadCase{"boolTwo", "[s]\nk=2\n", "s", "k", Kind::Bool, "0", "1"},
        ReadCase{"boolMinusOne", "[s]\nk=-1\n", "s", "k", Kind::Bool, "0", "1"},
        ReadCase{"boolWordKeepsDefaultTrue", "[s]\nk=yes\n", "s", "k", Kind::Bool, "1", "1"},
        ReadCase{"boolWordKeepsDefaultFalse", "[s]\nk=true\n", "s", "k", Kind::Bool, "0", "0"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(SettingsStoreTest, MissingOrUnreadableFileGivesDefaults) {
  for (const std::string& path : {dir_ + "/absent.ini", dir_ /* a folder, not a file */}) {
    SCOPED_TRACE(path);
    EXPECT_EQ(ReadString(path, "settings", "OutPutDir", "dflt"), "dflt");
    EXPECT_EQ(ReadInteger(path, "settings", "volume", 17), 17);
    EXPECT_TRUE(ReadBool(path, "lstformat", "0", true));
  }
}

// One write into a given file text and the whole text expected after it.
struct WriteCase {
  const char* name;
  const char* before;  // nullptr: no file yet
  const char* section;
  const char* key;
  const char* value;
  const char* after;
};

class SettingsWriteTest : public SettingsStoreTest, public ::testing::WithParamInterface<WriteCase> {};

TEST_P(SettingsWriteTest, ChangesOnlyItsKey) {
  const WriteCase& c = GetParam();
  if (c.before) PutFile(ini_, c.before);
  WriteString(ini_, c.section, c.key, c.value);
  EXPECT_EQ(FileText(ini_), c.after);
  EXPECT_EQ(ReadString(ini_, c.section, c.key, "<none>"), c.value);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, SettingsWriteTest,
    ::testing::Values(
        WriteCase{"createsFile", nullptr, "settings", "OutPutDir", "/home/u/tarnwell",
                  "[settings]\nOutPutDir=/home/u/tarnwell\n"},
        WriteCase{"replacesOtherSpelling", "[settings]\nSnapOutPutDir=/old\n", "settings", "snapOutPutDir",
                  "/new", "[settings]\nsnapOutPutDir=/new\n"},
        WriteCase{"keepsCommentsAndUnknownLines",
                  "; written by hand\n[settings]\n# a note\nvolume=3\ngarbage line\n\n[lstformat]\n0=1\n",
                  "settings", "volume", "90",
                  "; written by hand\n[settings]\n# a note\nvolume=90\ngarbage line\n\n[lstformat]\n0=1\n"},
        WriteCase{"addsKeyAtEndOfItsSection", "[settings]\nvolume=3\n\n[lstformat]\n0=1\n", "Settings",
                  "mute", "1", "[settings]\nvolume=3\nmute=1\n\n[lstformat]\n0=1\n"},
        WriteCase{"addsKeyToEmptySection", "[settings]\n[lstformat]\n0=1\n", "settings", "mute", "0",
                  "[settings]\nmute=0\n[lstformat]\n0=1\n"},
        WriteCase{"addsSectionAtEnd", "[settings]\nvolume=3", "formatInfo101", "paraZoom", "crop",
                  "[settings]\nvolume=3\n[formatInfo101]\nparaZoom=crop\n"},
        WriteCase{"keepsCrlf", "[settings]\r\nvolume=3\r\n", "settings", "mute", "1",
                  "[settings]\r\nvolume=3\r\nmute=1\r\n"},
        WriteCase{"emptyValue", "[settings]\nOutPutDir=/x\n", "settings", "OutPutDir", "",
                  "[settings]\nOutPutDir=\n"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(SettingsStoreTest, IntegersAndBooleansAreWrittenAsDecimalText) {
  WriteInteger(ini_, "settings", "volume", -5);
  WriteBool(ini_, "lstformat", "0", true);
  WriteBool(ini_, "lstformat", "1", false);
  EXPECT_EQ(FileText(ini_), "[settings]\nvolume=-5\n[lstformat]\n0=1\n1=0\n");
  EXPECT_EQ(ReadInteger(ini_, "SETTINGS", "Volume", 0), -5);
  EXPECT_TRUE(ReadBool(ini_, "lstformat", "0", false));
  EXPECT_FALSE(ReadBool(ini_, "lstformat", "1", true));
}

TEST_F(SettingsStoreTest, WriteCreatesMissingFolderAndKeepsPermissions) {
  const std::string nested = dir_ + "/new/folder/settings.ini";
  WriteInteger(nested, "settings", "volume", 1);
  EXPECT_EQ(ReadInteger(nested, "settings", "volume", 0), 1);

  PutFile(ini_, "[settings]\n");
  fs::permissions(
      ini_, fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read | fs::perms::others_read);
  WriteInteger(ini_, "settings", "volume", 2);
  EXPECT_EQ(fs::status(ini_).permissions() & fs::perms::all,
            fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read | fs::perms::others_read);
}

// Leaves no temporary file behind and the old text untouched.
void ExpectOnlyOldFile(const std::string& dir, const std::string& ini, const std::string& oldText) {
  EXPECT_EQ(FileText(ini), oldText);
  int entries = 0;
  for ([[maybe_unused]] const auto& entry : fs::directory_iterator(dir)) ++entries;
  EXPECT_EQ(entries, 1) << "a temporary file was left in " << dir;
}

TEST_F(SettingsStoreTest, WriteThatFailsPartWayLeavesOldFileWhole) {
  const std::string oldText = "; mine\n[settings]\nOutPutDir=/keep/me\n";
  PutFile(ini_, oldText);

  // A file size limit makes write(2) fail part-way with EFBIG, for root as
  // for anyone, just like a full file system does.
  rlimit saved{};
  ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &saved), 0);
  const auto oldSignal = signal(SIGXFSZ, SIG_IGN);
  rlimit small = saved;
  small.rlim_cur = 4096;
  ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
  std::string message;
  try {
    WriteString(ini_, "settings", "OutPutDir", std::string(10000, 'x'));
  } catch (const SettingsError& error) {
    message = error.what();
  }
  setrlimit(RLIMIT_FSIZE, &saved);
  signal(SIGXFSZ, oldSignal);

  EXPECT_NE(message.find(ini_), std::string::npos) << message;
  EXPECT_NE(message.find("File too large"), std::string::npos) << message;
  ExpectOnlyOldFile(dir_, ini_, oldText);
}

TEST_F(SettingsStoreTest, WriteIntoUnusableFolderIsReported) {
  PutFile(ini_, "not a folder");
  EXPECT_THROW(WriteInteger(ini_ + "/settings.ini", "settings", "volume", 1), SettingsError);
  ExpectOnlyOldFile(dir_, ini_, "not a folder");
}

TEST_F(SettingsStoreTest, ValuesThatWouldBreakTheFileAreRefused) {
  const std::string oldText = "[settings]\nvolume=3\n";
  struct Bad {
    const char* section;
    const char* key;
    const char* value;
  };
  for (const Bad& bad : {Bad{"settings", "OutPutDir", "/a\n[evil]\nx=1"},
                         Bad{"settings", "OutPutDir", "/a\rb"}, Bad{"settings", "a=b", "1"},
                         Bad{"settings", "", "1"}, Bad{"set]tings", "k", "1"}, Bad{"set\ntings", "k", "1"}}) {
    SCOPED_TRACE(std::string(bad.section) + " / " + bad.key);
    PutFile(ini_, oldText);
    EXPECT_THROW(WriteString(ini_, bad.section, bad.key, bad.value), SettingsError);
    EXPECT_EQ(FileText(ini_), oldText);
  }
}

TEST_F(SettingsStoreTest, FileThatCannotBeReadIsNotReplaced) {
  // The INI path is a folder: reading it fails, so writing must not replace it.
  const std::string folder = dir_ + "/taken";
  fs::create_directory(folder);
  PutFile(folder + "/inside", "x");
  EXPECT_THROW(WriteInteger(folder, "settings", "volume", 1), SettingsError);
  EXPECT_TRUE(fs::is_directory(folder));
  EXPECT_EQ(FileText(folder + "/inside"), "x");
}

}  // namespace
}  // namespace kx
