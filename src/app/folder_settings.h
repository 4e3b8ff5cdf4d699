#pragma once
// The output and snapshot folders kept in the settings file.
#include <string>

namespace kx {

inline constexpr char kOutPutDirKey[] = "OutPutDir";
inline constexpr char kSnapOutPutDirKey[] = "SnapOutPutDir";

// The default and fallback folder: "tarnwell" in the user's home folder.
std::string DefaultFolder();

// The first-show check of a folder key: reads it (DefaultFolder when
// missing); a folder that is not writable, or does not exist, is replaced by
// DefaultFolder, which is written back. Creates no folder. Answers the folder
// now stored. Raises SettingsError when the fallback cannot be stored.
std::string CheckFolderSetting(const std::string& iniPath, const std::string& key);

}  // namespace kx
