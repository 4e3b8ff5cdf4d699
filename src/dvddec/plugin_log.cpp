#include "dvddec/plugin_log.h"

#include <atomic>
#include <cstdio>

namespace kx::dvddec {
namespace {

std::atomic<DVDLogCallback> g_callback{nullptr};

}  // namespace

void SetLogCallback(DVDLogCallback callback) { g_callback.store(callback); }

void Log(int level, const std::string& message) {
  if (DVDLogCallback callback = g_callback.load()) {
    callback(level, message.c_str());
  } else {
    std::fprintf(stderr, "dvddec: %s\n", message.c_str());
  }
}

}  // namespace kx::dvddec
