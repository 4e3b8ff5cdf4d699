#include "app/global_object.h"

#include <gtest/gtest.h>
#include <pwd.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>

#include "support/test_env.h"

namespace kx {
namespace {

namespace fs = std::filesystem;

TEST(FileVersionTest, RunsMinorReleaseAndBuildTogether) {
  struct Case {
    unsigned major, minor, release, build;
    const char* text;
  };
  for (const Case& c :
       {Case{4, 8, 0, 17, " 4.8017 "}, Case{3, 2, 0, 0, " 3.200 "}, Case{10, 0, 12, 345, " 10.012345 "}}) {
    EXPECT_EQ(FormatFileVersion(c.major, c.minor, c.release, c.build), c.text);
  }
}

TEST(GlobalObjectTest, SettersIgnoreUnsuitableValues) {
  using Setter = void (TGlobalObject::*)(const std::string&);
  using Getter = const std::string& (TGlobalObject::*)() const;
  struct Case {
    const char* field;
    Setter set;
    Getter get;
    const char* ignored;  // a value the setter must not take
    const char* taken;    // the shortest value it must take
  };
  const Case cases[] = {
      {"SettingsIniName", &TGlobalObject::SetSettingsIniName, &TGlobalObject::SettingsIniName, "a.i", "/a.i"},
      {"FormatIniName", &TGlobalObject::SetFormatIniName, &TGlobalObject::FormatIniName, "abc", "abcd"},
      {"AppName", &TGlobalObject::SetAppName, &TGlobalObject::AppName, "", "A"},
      {"VersionText", &TGlobalObject::SetVersionText, &TGlobalObject::VersionText, "", " "},
      {"ProductUrl", &TGlobalObject::SetProductUrl, &TGlobalObject::ProductUrl, "", "u"},
      {"HelpUrl", &TGlobalObject::SetHelpUrl, &TGlobalObject::HelpUrl, "", "h"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.field);
    TGlobalObject global;
    (global.*c.set)("/old/value.ini");
    (global.*c.set)(c.ignored);
    EXPECT_EQ((global.*c.get)(), "/old/value.ini");
    (global.*c.set)(c.taken);
    EXPECT_EQ((global.*c.get)(), c.taken);
  }
}

TEST(GlobalObjectTest, RightStrCountsCharacters) {
  struct Case {
    const char* s;
    std::size_t n;
    const char* expected;
  };
  for (const Case& c : {Case{"abcdef", 3, "def"}, Case{"ab", 5, "ab"}, Case{"abc", 0, ""}, Case{"", 2, ""},
                        Case{"Grüße", 3, "üße"}, Case{"/home/ä", 1, "ä"}}) {
    EXPECT_EQ(TGlobalObject::RightStr(c.s, c.n), c.expected) << c.s << " " << c.n;
  }
}

TEST(GlobalObjectTest, IsDirWritableCreatesAndRemovesItsProbe) {
  const std::string dir = test::ScratchDir("is_dir_writable");
  std::ofstream(dir + "/file") << "x";
  EXPECT_TRUE(TGlobalObject::IsDirWritable(dir));
  EXPECT_TRUE(TGlobalObject::IsDirWritable(dir + "/"));
  EXPECT_FALSE(TGlobalObject::IsDirWritable(dir + "/missing"));
  EXPECT_FALSE(TGlobalObject::IsDirWritable(dir + "/file"));
  EXPECT_FALSE(TGlobalObject::IsDirWritable(""));
  int entries = 0;
  for ([[maybe_unused]] const auto& entry : fs::directory_iterator(dir)) ++entries;
  EXPECT_EQ(entries, 1) << "a DA probe file was left behind";
}

TEST(GlobalObjectTest, LoginNameIsTheEffectiveUser) {
  const passwd* user = getpwuid(geteuid());
  ASSERT_NE(user, nullptr);
  EXPECT_EQ(TGlobalObject::LoginName(), user->pw_name);
}

// Sets or clears environment variables for one test and puts them back.
class ScopedEnv {
 public:
  void Set(const char* name, const char* value) {
    Save(name);
    if (value) {
      setenv(name, value, 1);
    } else {
      unsetenv(name);
    }
  }
  ~ScopedEnv() {
    for (auto it = saved_.rbegin(); it != saved_.rend(); ++it) {
      if (it->second) {
        setenv(it->first.c_str(), it->second->c_str(), 1);
      } else {
        unsetenv(it->first.c_str());
      }
    }
  }

 private:
  void Save(const char* name) {
    const char* old = std::getenv(name);
    saved_.emplace_back(name, old ? std::optional<std::string>(old) : std::nullopt);
  }
  std::vector<std::pair<std::string, std::optional<std::string>>> saved_;
};

TEST(GlobalObjectTest, SpecialFoldersMapToConfigAndHome) {
  struct Case {
    const char* config;  // $KESTRIX_CONFIG_DIR
    const char* xdg;     // $XDG_CONFIG_HOME
    const char* appData;
  };
  const Case cases[] = {
      {"/etc/kx", "/xdg", "/etc/kx/"},
      {"/etc/kx/", nullptr, "/etc/kx/"},
      {nullptr, "/xdg", "/xdg/kestrix-dvd-zune/"},
      {"", "relative/xdg", "/home/tester/.config/kestrix-dvd-zune/"},
      {nullptr, nullptr, "/home/tester/.config/kestrix-dvd-zune/"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.appData);
    ScopedEnv env;
    env.Set("HOME", "/home/tester");
    env.Set("KESTRIX_CONFIG_DIR", c.config);
    env.Set("XDG_CONFIG_HOME", c.xdg);
    EXPECT_EQ(TGlobalObject::SpecialFolder(kCommonAppDataFolder), c.appData);
    EXPECT_EQ(TGlobalObject::SpecialFolder(kProfileFolder), "/home/tester/");
  }
  EXPECT_EQ(TGlobalObject::SpecialFolder(5), "");
  EXPECT_EQ(TGlobalObject::SpecialFolder(-1), "");
}

TEST(GlobalObjectTest, CreationPutsBothIniFilesInTheSettingsFolder) {
  ScopedEnv env;
  env.Set("KESTRIX_CONFIG_DIR", "/cfg");
  CreateGlobalObject();
  ASSERT_NE(GlobalObject, nullptr);
  EXPECT_EQ(GlobalObject->SettingsIniName(), "/cfg/kestrixzudeduzirevezuzidi.ini");
  EXPECT_EQ(GlobalObject->FormatIniName(), "/cfg/kestrixzuneformat.ini");
  EXPECT_EQ(GlobalObject->AppName(), "Kestrix DVD to ZUNE Converter");
  EXPECT_EQ(GlobalObject->VersionText(), " ver 3.20 ");
  EXPECT_FALSE(GlobalObject->ProductUrl().empty());
  EXPECT_FALSE(GlobalObject->HelpUrl().empty());
  GlobalObject.reset();
}

}  // namespace
}  // namespace kx
