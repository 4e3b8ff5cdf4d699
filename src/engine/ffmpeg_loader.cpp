#include "engine/ffmpeg_loader.h"

#include <stdexcept>

#include "engine/ffmpeg_logger.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavfilter/avfilter.h>
#include <libavformat/avformat.h>
#include <libavutil/avutil.h>
#include <libswscale/swscale.h>
}

namespace kx {
namespace {

constexpr int kLibraryCount = 8;

struct TLibraryItem {
  const char* baseName;
  int compiledMajor;        // -1: no FFmpeg version to compare
  unsigned (*version)();    // the run-time library's version; null when not linked
};

// The C library serves what the Windows build took from its own runtime; the
// player links SDL itself. avdevice is not linked into this program.
const TLibraryItem kLibraries[kLibraryCount] = {
    {"avcodec", LIBAVCODEC_VERSION_MAJOR, avcodec_version},
    {"avdevice", -1, nullptr},
    {"avfilter", LIBAVFILTER_VERSION_MAJOR, avfilter_version},
    {"avformat", LIBAVFORMAT_VERSION_MAJOR, avformat_version},
    {"avutil", LIBAVUTIL_VERSION_MAJOR, avutil_version},
    {"swscale", LIBSWSCALE_VERSION_MAJOR, swscale_version},
    {"c", -1, nullptr},
    {"SDL2", -1, nullptr},
};

bool IsLinked(TLibrary library) {
  return library == TLibrary::msvcrt || library == TLibrary::SDL || kLibraries[static_cast<int>(library)].version;
}

}  // namespace

TFFmpegLoader& FFLoader() {
  static TFFmpegLoader loader;
  return loader;
}

std::string TFFmpegLoader::LibFileName(TLibrary library) const {
  const TLibraryItem& item = kLibraries[static_cast<int>(library)];
  std::string name = std::string("lib") + item.baseName + ".so";
  if (item.compiledMajor >= 0) name += "." + std::to_string(item.compiledMajor);
  return name;
}

bool TFFmpegLoader::LoadLib(TLibrary library) {
  if (bound_ & LibBit(library)) return true;
  const TLibraryItem& item = kLibraries[static_cast<int>(library)];
  std::string problem;
  if (!IsLinked(library)) {
    problem = "not linked into this program";
  } else if (item.version && static_cast<int>(AV_VERSION_MAJOR(item.version())) != item.compiledMajor) {
    problem = "major version " + std::to_string(AV_VERSION_MAJOR(item.version())) + " found, " +
              std::to_string(item.compiledMajor) + " expected";
  }
  if (!problem.empty()) {
    lastError_ = "Load library " + LibFileName(library) + " error: " + problem;
    return false;
  }
  bound_ |= LibBit(library);
  if (library == TLibrary::avutil && !logInstalled_) {
    FFLogger().Install();
    logInstalled_ = true;
  }
  return true;
}

bool TFFmpegLoader::LoadLibs(TLibrarySet libs) {
  if (libs == 0) throw std::invalid_argument("LoadLibs: empty library set");
  for (int i = 0; i < kLibraryCount; ++i) {
    const auto library = static_cast<TLibrary>(i);
    if ((libs & LibBit(library)) && !LoadLib(library)) {
      UnloadLibs(libs);
      return false;
    }
  }
  return true;
}

bool TFFmpegLoader::LibsLoaded(TLibrarySet libs) const {
  if (libs == 0) throw std::invalid_argument("LibsLoaded: empty library set");
  return (bound_ & libs) == libs;
}

void TFFmpegLoader::UnloadLibs(TLibrarySet libs) {
  if (libs == 0) throw std::invalid_argument("UnloadLibs: empty library set");
  bound_ &= ~libs;
}

}  // namespace kx
