// Binding the DVD plug-in: what holds before, during and after loading.
#include "dvd/dvd_plug_in.h"

#include <dlfcn.h>
#include <dvdread/dvd_reader.h>

#include <cstring>
#include <filesystem>
#include <fstream>

#include <gtest/gtest.h>

#include "dvd/title_stream.h"
#include "support/test_env.h"

namespace kx {
namespace {

void ExpectNotLoadedAssertion() {
  TDVDTitleInfo info;
  TDVDParam param{};
  auto expectText = [](auto call) {
    try {
      call();
      ADD_FAILURE() << "no assertion";
    } catch (const DVDPlugIn::NotLoadedError& error) {
      EXPECT_STREQ(error.what(), "DVD plug-in library is not loaded.");
    }
  };
  expectText([] { DVDPlugIn::EnumTitles("/dev/sr0"); });
  expectText([&] { DVDPlugIn::GetTitleInfo(0, info); });
  expectText([&] { DVDPlugIn::SetDVDParam(param); });
  expectText([] { TitleStream::Open("/dev/sr0"); });
}

// A folder whose libdvddec.so is `content` (a file path to copy, or text).
std::string FolderWithLibrary(const std::string& name, const std::string& copyOf, const std::string& text) {
  std::string folder = test::ScratchDir(name);
  std::string target = folder + "/" + DVDPlugIn::kLibraryName;
  if (!copyOf.empty()) {
    std::filesystem::copy_file(copyOf, target);
  } else {
    std::ofstream(target) << text;
  }
  return folder;
}

// The whole life of the module in one process: the state is global.
TEST(DVDPlugIn, LoadsOnceAndOnlyWithAllEntryPoints) {
  EXPECT_FALSE(DVDPlugIn::IsDVDLibLoaded());
  ExpectNotLoadedAssertion();

  Dl_info dvdread{};
  ASSERT_NE(dladdr(reinterpret_cast<void*>(&DVDOpen), &dvdread), 0);
  const std::string refused[] = {
      test::ScratchDir("plugin_missing"),                                   // no file: bare name, not found
      FolderWithLibrary("plugin_text", "", "not a shared library"),        // not loadable
      FolderWithLibrary("plugin_foreign", dvdread.dli_fname, ""),          // no DVDInitialize
  };
  for (const std::string& folder : refused) {
    EXPECT_FALSE(DVDPlugIn::LoadDVDLib(folder)) << folder;
    EXPECT_FALSE(DVDPlugIn::IsDVDLibLoaded()) << folder;
  }
  ExpectNotLoadedAssertion();

  ASSERT_TRUE(DVDPlugIn::LoadDVDLib(test::BuildDir() + "/LibAV"));
  EXPECT_TRUE(DVDPlugIn::IsDVDLibLoaded());
  EXPECT_TRUE(DVDPlugIn::LoadDVDLib(refused[1])) << "a second load loads nothing";

  // GetTitleInfo clears the whole record, also when the plug-in has nothing.
  EXPECT_LT(DVDPlugIn::EnumTitles(test::ScratchDir("plugin_no_disc")), 1);
  TDVDTitleInfo info;
  std::memset(&info, 0xAB, sizeof info);
  EXPECT_FALSE(DVDPlugIn::GetTitleInfo(0, info));
  const auto* bytes = reinterpret_cast<const uint8_t*>(&info);
  EXPECT_TRUE(std::all_of(bytes, bytes + sizeof info, [](uint8_t b) { return b == 0; }));
}

TEST(DVDPlugIn, ProgramLibAVFolderIsBesideTheExecutable) {
  EXPECT_EQ(std::filesystem::path(DVDPlugIn::ProgramLibAVFolder()),
            std::filesystem::canonical("/proc/self/exe").parent_path() / "LibAV");
}

TEST(DVDPlugIn, StreamTypeNames) {
  const std::pair<int, const char*> cases[] = {{1, "MPEG-1"}, {2, "MPEG-2"}, {3, "MPA"},      {4, "AC3"},
                                               {5, "DTS"},    {6, "LPCM"},   {7, "SUB"},      {0, "Unknown"},
                                               {8, "Unknown"}, {-1, "Unknown"}};
  for (auto [code, name] : cases) EXPECT_EQ(DVDPlugIn::StreamTypeName(code), name) << code;
}

}  // namespace
}  // namespace kx
