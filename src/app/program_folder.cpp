#include "app/program_folder.h"

#include <filesystem>

namespace kx {

std::string ProgramFolder() {
  std::error_code ec;
  const auto exe = std::filesystem::read_symlink("/proc/self/exe", ec);
  if (ec) return "./";
  return exe.parent_path().string() + "/";
}

}  // namespace kx
