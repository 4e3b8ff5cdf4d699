#include "dvddec/dvdread_handles.h"

#include <sys/stat.h>

#include <cstdarg>
#include <cstdio>
#include <cstring>

#include "dvddec/plugin_log.h"

namespace kx::dvddec {
namespace {

void ForwardDvdreadLog(void*, dvd_logger_level_t level, const char* format, va_list args) {
  char text[512];
  std::vsnprintf(text, sizeof text, format, args);
  // Some messages carry a banner after their first line; the line is enough.
  text[std::strcspn(text, "*\n")] = '\0';
  int ours = level == DVD_LOGGER_LEVEL_ERROR ? DVDDEC_LOG_ERROR
             : level == DVD_LOGGER_LEVEL_WARN ? DVDDEC_LOG_WARNING
                                              : DVDDEC_LOG_INFO;
  // libdvdread is chatty at info level (one line per file it opens).
  if (ours <= DVDDEC_LOG_WARNING) Log(ours, std::string("libdvdread: ") + text);
}

const dvd_logger_cb kLogger = {ForwardDvdreadLog};

}  // namespace

DiscHandle OpenDisc(const std::string& drive) {
  // libdvdread leaks its reader when the path does not exist; ask first.
  struct stat info {};
  if (drive.empty() || stat(drive.c_str(), &info) != 0) return nullptr;
  return DiscHandle(DVDOpen2(nullptr, &kLogger, drive.c_str()));
}

}  // namespace kx::dvddec
