#pragma once
// The two INI files the program is installed with: the format profiles and
// the settings as they are on a first start. Main thread only.
#include <string>

namespace kx {

inline constexpr char kFormatIniFile[] = "kestrixzuneformat.ini";
inline constexpr char kSettingsIniFile[] = "kestrixzudeduzirevezuzidi.ini";

// The installed copies: the program folder's data/ + the file name.
std::string InstalledIniPath(const std::string& fileName);

// Copies each installed file to its place when no file is there yet; a file
// already in place is never touched, nor is anything done for an installed
// file that is missing. Call it before anything writes the
// settings file, so that a first start gets every profile's default choices
// (without them a video profile would convert as audio only). Raises
// SettingsError, as every settings write does, when a missing file cannot
// be read or written.
void InstallProfileFiles(const std::string& formatIni, const std::string& settingsIni);

}  // namespace kx
