#include "test_env.h"

#include <cstdlib>
#include <filesystem>
#include <stdexcept>

#include <gtest/gtest.h>

namespace kx::test {
namespace {

std::string Env(const char* name) {
  const char* value = std::getenv(name);
  if (!value || !*value) throw std::runtime_error(std::string(name) + " is not set; run the tests through ctest");
  return value;
}

}  // namespace

std::string SourceDir() { return Env("KX_SOURCE_DIR"); }
std::string BuildDir() { return Env("KX_BUILD_DIR"); }
std::string DiscFolder(const std::string& name) { return Env("KX_DISC_DIR") + "/" + name; }
std::string DiscImage(const std::string& name) { return Env("KX_DISC_DIR") + "/" + name + ".iso"; }

std::string ScratchDir(const std::string& name) {
  std::filesystem::path dir = std::filesystem::path(BuildDir()) / "scratch" / name;
  std::filesystem::remove_all(dir);
  std::filesystem::create_directories(dir);
  return dir.string();
}

std::string ScratchHomeAndConfig() {
  const std::string root = ScratchDir(testing::UnitTest::GetInstance()->current_test_info()->name());
  std::filesystem::create_directories(root + "/home");
  std::filesystem::create_directories(root + "/config");
  setenv("HOME", (root + "/home").c_str(), 1);
  setenv("KESTRIX_CONFIG_DIR", (root + "/config").c_str(), 1);
  return root;
}

}  // namespace kx::test
