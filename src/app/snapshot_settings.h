#pragma once
// The snapshot choices and the work priority kept in the settings file's
// section "settings". Main thread only (settings store).
#include <string>

namespace kx {

struct SnapshotSettings {
  std::string folder;
  bool fullSize = true;   // the picture at its own size
  bool smallSize = true;  // the picture at the preview's size
  bool bmp = true;
  bool jpg = true;
  int jpgQuality = 30;    // 1 … 100
  int priority = 1;       // 0 "Idle", 1 "Normal", 2 "Lower", 3 "Lowest"; applied by nothing
};

// What "Default" offers: BMP at full size into DefaultFolder, quality 20.
SnapshotSettings DefaultSnapshotSettings();

// Every key but the folder, which CheckFolderSetting reads.
SnapshotSettings ReadSnapshotSettings(const std::string& iniPath);
// An empty folder is stored as DefaultFolder; a quality below 1 is not
// stored. Raises SettingsError.
void StoreSnapshotSettings(const std::string& iniPath, const SnapshotSettings& settings);

}  // namespace kx
