#include "app/folder_settings.h"

#include "app/global_object.h"
#include "app/settings_store.h"

namespace kx {

std::string DefaultFolder() { return TGlobalObject::SpecialFolder(kProfileFolder) + "tarnwell"; }

std::string CheckFolderSetting(const std::string& iniPath, const std::string& key) {
  std::string folder = ReadString(iniPath, kSettingsSection, key, DefaultFolder());
  if (!TGlobalObject::IsDirWritable(folder)) {
    folder = DefaultFolder();
    WriteString(iniPath, kSettingsSection, key, folder);
  }
  return folder;
}

}  // namespace kx
