#include "profiles/profile_files.h"

#include <filesystem>
#include <system_error>

#include "app/atomic_file.h"
#include "app/program_folder.h"
#include "app/settings_store.h"

namespace kx {
namespace {

void InstallWhenMissing(const std::string& fileName, const std::string& target) {
  const std::string installed = InstalledIniPath(fileName);
  std::error_code error;
  if (std::filesystem::exists(target, error) || error || !std::filesystem::exists(installed, error)) return;
  try {
    WriteFileAtomically(target, ReadWholeFile(installed));
  } catch (const FileError& cause) {
    throw NotSavedError(cause);
  }
}

}  // namespace

std::string InstalledIniPath(const std::string& fileName) { return ProgramFolder() + "data/" + fileName; }

void InstallProfileFiles(const std::string& formatIni, const std::string& settingsIni) {
  InstallWhenMissing(kFormatIniFile, formatIni);
  InstallWhenMissing(kSettingsIniFile, settingsIni);
}

}  // namespace kx
