#pragma once
// The settings store: INI files read and written key by key. Every call opens
// the file, does its one read or write and is done; nothing is cached, and a
// write is on disk before it returns. Main thread only: the program relies on
// being the file's only writer.
//
// Reads never fail: a missing or unreadable file, section or key, or an
// integer that is not a decimal number, yields the caller's default. Writes
// raise SettingsError with a text for the user when the file cannot be
// written; the old file then stays as it was.
#include <string>

#include "app/atomic_file.h"

namespace kx {

// The settings file's main section; its keys are declared where they are used.
inline constexpr char kSettingsSection[] = "settings";

class SettingsError : public FileError {
 public:
  using FileError::FileError;
};

// The error told when writing a settings file failed for `cause`.
SettingsError NotSavedError(const FileError& cause);

std::string ReadString(const std::string& iniPath, const std::string& section, const std::string& key,
                       const std::string& defaultValue);
int ReadInteger(const std::string& iniPath, const std::string& section, const std::string& key,
                int defaultValue);
// Stored as an integer; any integer other than 0 reads as true.
bool ReadBool(const std::string& iniPath, const std::string& section, const std::string& key,
              bool defaultValue);

// Creates the file, the section and the key as needed and keeps every other
// line. A section, key or value that would break the line structure (a line
// break, "=" in a key, "]" in a section name, an empty key) is refused with
// SettingsError.
void WriteString(const std::string& iniPath, const std::string& section, const std::string& key,
                 const std::string& value);
void WriteInteger(const std::string& iniPath, const std::string& section, const std::string& key, int value);
// Written as "1" or "0".
void WriteBool(const std::string& iniPath, const std::string& section, const std::string& key, bool value);

}  // namespace kx
