#include "app/folder_settings.h"

#include "app/global_object.h"
#include "app/message_boxes.h"
#include "app/settings_store.h"

namespace kx {
namespace {

std::string Trimmed(const std::string& text) {
  const auto first = text.find_first_not_of(" \t");
  if (first == std::string::npos) return {};
  return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

}  // namespace

std::string DefaultFolder() { return TGlobalObject::SpecialFolder(kProfileFolder) + "tarnwell"; }

std::string CheckFolderSetting(const std::string& iniPath, const std::string& key) {
  std::string folder = ReadString(iniPath, kSettingsSection, key, DefaultFolder());
  if (!TGlobalObject::IsDirWritable(folder)) {
    folder = DefaultFolder();
    WriteString(iniPath, kSettingsSection, key, folder);
  }
  return folder;
}

std::optional<std::string> StoreChosenFolder(const std::string& iniPath, const std::string& key,
                                             const std::string& chosen, const std::string& shown,
                                             MessageBoxes& messages) {
  if (chosen.empty() || chosen == shown) return std::nullopt;
  // Too short for anything but the root folder ("/", "/a/"), which takes no files.
  if (chosen.size() < 4) {
    messages.Show("Warning", "The path " + chosen + " is not a valid directory.", MessageIcon::Warning);
    return std::nullopt;
  }
  std::string folder = chosen;
  if (!TGlobalObject::IsDirWritable(folder)) {
    messages.Show("Warning",
                  "You login as " + Trimmed(TGlobalObject::LoginName()) +
                      " .You don't have permission to write to directory:" + folder,
                  MessageIcon::Warning);
    folder = DefaultFolder();
  }
  WriteString(iniPath, kSettingsSection, key, folder);
  return folder;
}

}  // namespace kx
