#include "app/global_object.h"

#include <pwd.h>
#include <stdlib.h>
#include <unistd.h>

#include <cstdlib>

#include "version.h"

namespace kx {

std::unique_ptr<TGlobalObject> GlobalObject;

namespace {

std::string Env(const char* name) {
  const char* value = std::getenv(name);
  return value ? value : "";
}

std::string WithSeparator(std::string folder) {
  if (folder.empty() || folder.back() != '/') folder += '/';
  return folder;
}

std::string HomeFolder() {
  std::string home = Env("HOME");
  if (home.empty()) {
    if (const passwd* user = ::getpwuid(::geteuid()); user && user->pw_dir) home = user->pw_dir;
  }
  return WithSeparator(home.empty() ? "/" : home);
}

// $KESTRIX_CONFIG_DIR, else the XDG configuration folder's own sub-folder.
std::string SettingsFolder() {
  if (std::string dir = Env("KESTRIX_CONFIG_DIR"); !dir.empty()) return WithSeparator(dir);
  // The XDG rules say a relative XDG_CONFIG_HOME is to be ignored.
  if (std::string xdg = Env("XDG_CONFIG_HOME"); !xdg.empty() && xdg.front() == '/')
    return WithSeparator(xdg) + "kestrix-dvd-zune/";
  return HomeFolder() + ".config/kestrix-dvd-zune/";
}

void SetIfNotEmpty(std::string& field, const std::string& value) {
  if (!value.empty()) field = value;
}

void SetIfLongerThan3(std::string& field, const std::string& value) {
  if (value.size() > 3) field = value;
}

}  // namespace

std::string FormatFileVersion(unsigned major, unsigned minor, unsigned release, unsigned build) {
  return " " + std::to_string(major) + "." + std::to_string(minor) + std::to_string(release) +
         std::to_string(build) + " ";
}

void TGlobalObject::SetHelpUrl(const std::string& value) { SetIfNotEmpty(helpUrl_, value); }
void TGlobalObject::SetSettingsIniName(const std::string& value) {
  SetIfLongerThan3(settingsIniName_, value);
}
void TGlobalObject::SetFormatIniName(const std::string& value) { SetIfLongerThan3(formatIniName_, value); }
void TGlobalObject::SetAppName(const std::string& value) { SetIfNotEmpty(appName_, value); }
void TGlobalObject::SetVersionText(const std::string& value) { SetIfNotEmpty(versionText_, value); }
void TGlobalObject::SetProductUrl(const std::string& value) { SetIfNotEmpty(productUrl_, value); }

std::string TGlobalObject::FileVersionText() {
  return FormatFileVersion(KX_VERSION_MAJOR, KX_VERSION_MINOR, KX_VERSION_PATCH, KX_VERSION_TWEAK);
}

bool TGlobalObject::IsDirWritable(const std::string& dir) {
  if (dir.empty()) return false;
  std::string name = WithSeparator(dir) + "DAXXXXXX";
  const int fd = ::mkstemp(name.data());
  if (fd < 0) return false;
  ::close(fd);
  return ::unlink(name.c_str()) == 0;
}

std::string TGlobalObject::LoginName() {
  const passwd* user = ::getpwuid(::geteuid());
  return user && user->pw_name ? user->pw_name : "";
}

std::string TGlobalObject::SpecialFolder(int number) {
  switch (number) {
    case kCommonAppDataFolder:
      return SettingsFolder();
    case kProfileFolder:
      return HomeFolder();
    default:
      return "";
  }
}

std::string TGlobalObject::RightStr(const std::string& s, std::size_t n) {
  std::size_t start = s.size();
  for (std::size_t count = 0; count < n && start > 0; ++count) {
    --start;
    // Step over UTF-8 continuation bytes to the first byte of the character.
    while (start > 0 && (static_cast<unsigned char>(s[start]) & 0xC0) == 0x80) --start;
  }
  return s.substr(start);
}

void CreateGlobalObject() {
  auto global = std::make_unique<TGlobalObject>();
  const std::string folder = TGlobalObject::SpecialFolder(kCommonAppDataFolder);
  global->SetSettingsIniName(folder + "kestrixzudeduzirevezuzidi.ini");
  global->SetFormatIniName(folder + "kestrixzuneformat.ini");
  global->SetAppName("Kestrix DVD to ZUNE Converter");
  global->SetVersionText(" ver 3.20 ");
  global->SetProductUrl("https://kestrix.example.com/dvd-to-zune-converter/");
  global->SetHelpUrl("https://kestrix.example.com/dvd-to-zune-converter/help/");
  GlobalObject = std::move(global);
}

}  // namespace kx
