#pragma once
// The fixed catalogue of format profiles and the current profile kept in the
// settings file. A profile is named by its format code, group × 100 + entry;
// its sections in both INI files are "formatInfo" + code. Main thread only
// (settings store).
#include <span>
#include <string>
#include <string_view>

namespace kx {

inline constexpr char kFormatNameKey[] = "FormatName";
inline constexpr char kFormatCodeKey[] = "FormatCode";
// Group states of the pickers: key = group number, "1" = collapsed.
inline constexpr char kGroupStateSection[] = "lstformat";
// The profile in use when the settings file names none.
inline constexpr int kDefaultFormatCode = 1;

struct ProfileGroup {
  std::string_view caption;
  std::span<const std::string_view> names;  // entry order
};

// The three groups in picker order; a group's number is its position.
std::span<const ProfileGroup> ProfileGroups();

inline constexpr int FormatCode(int group, int entry) { return group * 100 + entry; }
// "formatInfo" + code in decimal: the profile's section in both INI files.
std::string FormatSection(int code);
// The display name of a catalogue entry; empty for a code that names none.
std::string ProfileName(int code);

struct CurrentProfile {
  std::string name;
  int code = kDefaultFormatCode;
};

// "FormatCode" (default 1) and "FormatName"; a missing name reads as the
// name of the profile the code selects, so the picker never shows a name the
// conversion would not use.
CurrentProfile ReadCurrentProfile(const std::string& settingsIni);
// Writes "FormatName" and then "FormatCode"; raises SettingsError.
void StoreCurrentProfile(const std::string& settingsIni, const std::string& name, int code);

// "lstformat" / group number; a missing key reads as collapsed.
bool ReadGroupCollapsed(const std::string& settingsIni, int group);
void StoreGroupCollapsed(const std::string& settingsIni, int group, bool collapsed);

}  // namespace kx
