#pragma once
#include <string>

namespace kx::test {

// Folders the test runner hands over in the environment (see tests/CMakeLists.txt).
std::string SourceDir();
std::string BuildDir();

// A test disc built by tests/fixtures/make_discs.py from fixtures/discs/<name>.json:
// the folder that holds VIDEO_TS, and the ISO image of the same disc.
std::string DiscFolder(const std::string& name);
std::string DiscImage(const std::string& name);

// A fresh, empty folder under the build tree for one test's files.
std::string ScratchDir(const std::string& name);

// A fresh scratch folder for the running test with home/ and config/ in it,
// made $HOME and $KESTRIX_CONFIG_DIR, so the program's folders and settings
// start empty; answers the folder.
std::string ScratchHomeAndConfig();

}  // namespace kx::test
