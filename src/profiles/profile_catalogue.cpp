#include "profiles/profile_catalogue.h"

#include <array>

#include "app/settings_store.h"

namespace kx {
namespace {

constexpr std::array<std::string_view, 3> kZuneVideo = {
    "ZUNE - MPEG-4 Video (*.mp4)",
    "ZUNE - MPEG-4 AVC Video (*.mp4)",
    "ZUNE - Windows Media Video (*.wmv)",
};

constexpr std::array<std::string_view, 10> kGeneralVideo = {
    "MPEG-1 Video (*.mpg)",
    "MPEG-2 Video (*.mpg)",
    "MPEG-4 Video (*.mp4)",
    "H.264/MPEG-4 AVC Video (*.mp4)",
    "AVI Video (*.avi)",
    "WMV Video (*.wmv)",
    "Divx Video (*.avi)",
    "Xvid Video (*.avi)",
    "DV - NTSC -Digital Video Format (*.dv)",
    "DV - PAL -Digital Video Format (*.dv)",
};

constexpr std::array<std::string_view, 7> kGeneralAudio = {
    "MP3 MPEG Layer-3 Audio (*.mp3)",
    "AAC Advenced Audio Codec (*.aac)",
    "M4A MPEG-4 Audio (*.m4a)",
    "WMA - Windows Meida Audio (*.wma)",
    "WAV - Waveform Audio (*.wav)",
    "OGG Vorbis Audio Codec (*.ogg)",
    "AC-3 Audio Codec (*.ac3)",
};

constexpr std::array<ProfileGroup, 3> kGroups = {{
    {"Zune Video", kZuneVideo},
    {"General Video formates", kGeneralVideo},
    {"General Audio formates", kGeneralAudio},
}};

}  // namespace

std::span<const ProfileGroup> ProfileGroups() { return kGroups; }

std::string FormatSection(int code) { return "formatInfo" + std::to_string(code); }

std::string ProfileName(int code) {
  if (code < 0) return {};
  const size_t group = static_cast<size_t>(code / 100), entry = static_cast<size_t>(code % 100);
  if (group >= kGroups.size() || entry >= kGroups[group].names.size()) return {};
  return std::string(kGroups[group].names[entry]);
}

CurrentProfile ReadCurrentProfile(const std::string& settingsIni) {
  CurrentProfile current;
  current.code = ReadInteger(settingsIni, kSettingsSection, kFormatCodeKey, kDefaultFormatCode);
  current.name = ReadString(settingsIni, kSettingsSection, kFormatNameKey, ProfileName(current.code));
  return current;
}

void StoreCurrentProfile(const std::string& settingsIni, const std::string& name, int code) {
  WriteString(settingsIni, kSettingsSection, kFormatNameKey, name);
  WriteInteger(settingsIni, kSettingsSection, kFormatCodeKey, code);
}

bool ReadGroupCollapsed(const std::string& settingsIni, int group) {
  return ReadBool(settingsIni, kGroupStateSection, std::to_string(group), true);
}

void StoreGroupCollapsed(const std::string& settingsIni, int group, bool collapsed) {
  WriteBool(settingsIni, kGroupStateSection, std::to_string(group), collapsed);
}

}  // namespace kx
