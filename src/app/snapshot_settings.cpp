#include "app/snapshot_settings.h"

#include "app/folder_settings.h"
#include "app/settings_store.h"

namespace kx {
namespace {

constexpr char kFullSizeKey[] = "snapFullSize";
constexpr char kSmallSizeKey[] = "snapSmallSize";
constexpr char kBmpKey[] = "snapBmp";
constexpr char kJpgKey[] = "snapJpg";
constexpr char kJpgQualityKey[] = "jpgCmp";
constexpr char kPriorityKey[] = "priority";

}  // namespace

SnapshotSettings DefaultSnapshotSettings() {
  SnapshotSettings settings;
  settings.folder = DefaultFolder();
  settings.smallSize = false;
  settings.jpg = false;
  settings.jpgQuality = 20;
  return settings;
}

SnapshotSettings ReadSnapshotSettings(const std::string& iniPath) {
  SnapshotSettings settings;
  // A stored 1 ticks a box; anything else leaves it clear.
  const auto ticked = [&iniPath](const char* key) { return ReadInteger(iniPath, kSettingsSection, key, 1) == 1; };
  settings.fullSize = ticked(kFullSizeKey);
  settings.smallSize = ticked(kSmallSizeKey);
  settings.bmp = ticked(kBmpKey);
  settings.jpg = ticked(kJpgKey);
  settings.jpgQuality = ReadInteger(iniPath, kSettingsSection, kJpgQualityKey, settings.jpgQuality);
  const int priority = ReadInteger(iniPath, kSettingsSection, kPriorityKey, settings.priority);
  if (priority >= 0 && priority <= 3) settings.priority = priority;
  return settings;
}

void StoreSnapshotSettings(const std::string& iniPath, const SnapshotSettings& settings) {
  WriteString(iniPath, kSettingsSection, kSnapOutPutDirKey, settings.folder.empty() ? DefaultFolder() : settings.folder);
  WriteBool(iniPath, kSettingsSection, kBmpKey, settings.bmp);
  WriteBool(iniPath, kSettingsSection, kJpgKey, settings.jpg);
  WriteBool(iniPath, kSettingsSection, kFullSizeKey, settings.fullSize);
  WriteBool(iniPath, kSettingsSection, kSmallSizeKey, settings.smallSize);
  if (settings.jpgQuality > 0) WriteInteger(iniPath, kSettingsSection, kJpgQualityKey, settings.jpgQuality);
  WriteInteger(iniPath, kSettingsSection, kPriorityKey, settings.priority);
}

}  // namespace kx
