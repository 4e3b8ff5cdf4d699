#pragma once
// The application-wide object: INI file paths, the application's name and
// version text, the product and help page addresses, and small file-system
// helpers. Main thread only.
#include <cstddef>
#include <memory>
#include <string>

namespace kx {

// System special folder numbers that have a meaning on this platform.
inline constexpr int kCommonAppDataFolder = 35;  // the settings folder
inline constexpr int kProfileFolder = 40;        // the user's home folder

// " 4.8017 " for 4.8.0.17: minor, release and build run together.
std::string FormatFileVersion(unsigned major, unsigned minor, unsigned release, unsigned build);

class TGlobalObject {
 public:
  const std::string& HelpUrl() const { return helpUrl_; }
  const std::string& SettingsIniName() const { return settingsIniName_; }
  const std::string& FormatIniName() const { return formatIniName_; }
  const std::string& AppName() const { return appName_; }
  const std::string& VersionText() const { return versionText_; }
  const std::string& ProductUrl() const { return productUrl_; }

  // The INI path setters ignore values of 3 characters or fewer, the others
  // ignore empty values, so a bad value never replaces a good one.
  void SetHelpUrl(const std::string& value);
  void SetSettingsIniName(const std::string& value);
  void SetFormatIniName(const std::string& value);
  void SetAppName(const std::string& value);
  void SetVersionText(const std::string& value);
  void SetProductUrl(const std::string& value);

  // The program's own four-number version as FormatFileVersion gives it.
  static std::string FileVersionText();
  // True when a new unique file "DA…" can be created in dir and removed again.
  static bool IsDirWritable(const std::string& dir);
  // The name of the user the program runs as; empty when the system has none.
  static std::string LoginName();
  // The folder with a trailing "/", or empty for a number without meaning here.
  static std::string SpecialFolder(int number);
  // The last n characters (UTF-8 code points) of s, all of s when shorter.
  static std::string RightStr(const std::string& s, std::size_t n);

 private:
  std::string helpUrl_;
  std::string settingsIniName_;
  std::string formatIniName_;
  std::string appName_;
  std::string versionText_;
  std::string productUrl_;
};

// The one application-wide instance: created by the main window when it is
// created, freed when the main window agrees to close; null outside that time.
extern std::unique_ptr<TGlobalObject> GlobalObject;

// Creates GlobalObject with the INI paths in the settings folder, the
// application name, the start-up version text and the page addresses.
void CreateGlobalObject();

}  // namespace kx
