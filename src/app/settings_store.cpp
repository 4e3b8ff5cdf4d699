#include "app/settings_store.h"

#include <charconv>
#include <optional>
#include <string_view>

#include "app/ini_document.h"

namespace kx {
namespace {

std::optional<std::string> StoredValue(const std::string& iniPath, const std::string& section,
                                       const std::string& key) {
  try {
    return IniDocument(ReadWholeFile(iniPath)).Value(section, key);
  } catch (const FileError&) {
    return std::nullopt;  // an unreadable file reads as one without keys
  }
}

std::optional<int> ParseDecimal(std::string_view text) {
  if (!text.empty() && text.front() == '+') text.remove_prefix(1);
  int value = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (error != std::errc() || end != text.data() + text.size() || text.empty()) return std::nullopt;
  return value;
}

bool BreaksLines(const std::string& s) { return s.find_first_of("\r\n") != std::string::npos; }

void CheckWritable(const std::string& iniPath, const std::string& section, const std::string& key,
                   const std::string& value) {
  const std::string where = " for [" + section + "] " + key + " in " + iniPath;
  if (BreaksLines(section) || section.find(']') != std::string::npos)
    throw SettingsError("Invalid section name" + where);
  if (key.empty() || BreaksLines(key) || key.find('=') != std::string::npos)
    throw SettingsError("Invalid key name" + where);
  if (BreaksLines(value)) throw SettingsError("A line break cannot be stored" + where);
}

}  // namespace

std::string ReadString(const std::string& iniPath, const std::string& section, const std::string& key,
                       const std::string& defaultValue) {
  return StoredValue(iniPath, section, key).value_or(defaultValue);
}

int ReadInteger(const std::string& iniPath, const std::string& section, const std::string& key,
                int defaultValue) {
  const auto text = StoredValue(iniPath, section, key);
  if (!text) return defaultValue;
  return ParseDecimal(*text).value_or(defaultValue);
}

bool ReadBool(const std::string& iniPath, const std::string& section, const std::string& key,
              bool defaultValue) {
  return ReadInteger(iniPath, section, key, defaultValue ? 1 : 0) != 0;
}

SettingsError NotSavedError(const FileError& cause) {
  return SettingsError(std::string("The setting could not be saved. ") + cause.what());
}

void WriteString(const std::string& iniPath, const std::string& section, const std::string& key,
                 const std::string& value) {
  CheckWritable(iniPath, section, key, value);
  try {
    IniDocument document(ReadWholeFile(iniPath));
    document.SetValue(section, key, value);
    WriteFileAtomically(iniPath, document.Text());
  } catch (const FileError& error) {
    throw NotSavedError(error);
  }
}

void WriteInteger(const std::string& iniPath, const std::string& section, const std::string& key, int value) {
  WriteString(iniPath, section, key, std::to_string(value));
}

void WriteBool(const std::string& iniPath, const std::string& section, const std::string& key, bool value) {
  WriteString(iniPath, section, key, value ? "1" : "0");
}

}  // namespace kx
