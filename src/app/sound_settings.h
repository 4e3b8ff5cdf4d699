#pragma once
// Volume and mute of the preview players, kept in the settings file.
#include <string>

namespace kx {

inline constexpr char kVolumeKey[] = "volume";
inline constexpr char kMuteKey[] = "mute";
inline constexpr int kMaxVolume = 128;

// A stored volume outside 0 … 128 is taken as 64, half of the range.
int VolumeFromStored(int stored);

// "volume" (default 0) through VolumeFromStored, and "mute" (default off).
int ReadVolume(const std::string& iniPath);
bool ReadMute(const std::string& iniPath);

}  // namespace kx
