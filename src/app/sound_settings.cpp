#include "app/sound_settings.h"

#include "app/settings_store.h"

namespace kx {

int VolumeFromStored(int stored) { return stored >= 0 && stored <= kMaxVolume ? stored : kMaxVolume / 2; }

int ReadVolume(const std::string& iniPath) {
  return VolumeFromStored(ReadInteger(iniPath, kSettingsSection, kVolumeKey, 0));
}

bool ReadMute(const std::string& iniPath) { return ReadBool(iniPath, kSettingsSection, kMuteKey, false); }

}  // namespace kx
