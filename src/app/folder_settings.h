#pragma once
// The output and snapshot folders kept in the settings file.
#include <optional>
#include <string>

namespace kx {

class MessageBoxes;

inline constexpr char kOutPutDirKey[] = "OutPutDir";
inline constexpr char kSnapOutPutDirKey[] = "SnapOutPutDir";

// The default and fallback folder: "tarnwell" in the user's home folder.
std::string DefaultFolder();

// The first-show check of a folder key: reads it (DefaultFolder when
// missing); a folder that is not writable, or does not exist, is replaced by
// DefaultFolder, which is written back. Creates no folder. Answers the folder
// now stored. Raises SettingsError when the fallback cannot be stored.
std::string CheckFolderSetting(const std::string& iniPath, const std::string& key);

// A folder the user chose for `key` in a folder chooser, `shown` being the
// one on screen. A cancelled choice (empty) or the same folder changes
// nothing; a root folder is refused with a message; an unwritable one is
// replaced by DefaultFolder after a message. Answers the folder stored, or
// nothing when nothing was stored. Raises SettingsError.
std::optional<std::string> StoreChosenFolder(const std::string& iniPath, const std::string& key,
                                             const std::string& chosen, const std::string& shown,
                                             MessageBoxes& messages);

}  // namespace kx
