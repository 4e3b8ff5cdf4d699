#include "profiles/output_file_name.h"

#include <filesystem>
#include <system_error>

#include "app/folder_settings.h"
#include "app/settings_store.h"

namespace kx {
namespace {

namespace fs = std::filesystem;

bool MakeFolder(const std::string& dir) {
  std::error_code error;
  fs::create_directories(dir, error);
  return fs::is_directory(dir, error);
}

// Anything at the path counts, a dangling link too: it is never replaced.
bool Taken(const std::string& path) {
  std::error_code error;
  return fs::symlink_status(path, error).type() != fs::file_type::not_found;
}

std::string StemOf(const std::string& sourceName) {
  std::string name = sourceName.substr(sourceName.find_last_of('/') + 1);
  const size_t dot = name.find_last_of('.');
  if (dot != std::string::npos) name.erase(dot);
  return name;
}

}  // namespace

std::string MakeOutputFileName(const std::string& settingsIni, const std::string& sourceName,
                               const std::string& extension, MessageBoxes& boxes) {
  std::string dir = ReadString(settingsIni, kSettingsSection, kOutPutDirKey, DefaultFolder());
  if (!MakeFolder(dir)) {
    const std::string fallback = DefaultFolder();
    boxes.Show("Warning",
               "Cannot create output directory:" + dir + ".It will create default directory " + fallback + "!",
               MessageIcon::Warning);
    // When even the default folder cannot be made, the encoder reports it on opening the file.
    MakeFolder(fallback);
    WriteString(settingsIni, kSettingsSection, kOutPutDirKey, fallback);
    dir = fallback;
  }
  if (dir.empty() || dir.back() != '/') dir += '/';
  const std::string base = dir + StemOf(sourceName);
  std::string candidate = base + "_(new)" + extension;
  for (int n = 1; Taken(candidate); ++n) candidate = base + "_(new_" + std::to_string(n) + ")" + extension;
  return candidate;
}

}  // namespace kx
