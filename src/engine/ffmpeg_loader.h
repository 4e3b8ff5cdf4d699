#pragma once
// The media library binding. The libraries are linked when the program is
// built, so "loading" a set checks that each library the program was
// compiled against is the one present at run time (same major version) and
// marks it bound; the first load also routes FFmpeg's log into the log sink.
// Main thread only, before any conversion or playback.
#include <atomic>
#include <cstdint>
#include <string>

namespace kx {

// The libraries in table order; the value is the library's number.
enum class TLibrary { avcodec, avdevice, avfilter, avformat, avutil, swscale, msvcrt, SDL };

using TLibrarySet = std::uint32_t;

constexpr TLibrarySet LibBit(TLibrary library) { return TLibrarySet{1} << static_cast<int>(library); }

// What the encoder and the player need; avdevice is in neither.
inline constexpr TLibrarySet kEncoderLibs = LibBit(TLibrary::avcodec) | LibBit(TLibrary::avfilter) |
                                            LibBit(TLibrary::avformat) | LibBit(TLibrary::avutil) |
                                            LibBit(TLibrary::swscale) | LibBit(TLibrary::msvcrt);
inline constexpr TLibrarySet kPlayerLibs = kEncoderLibs | LibBit(TLibrary::SDL);

class TFFmpegLoader {
 public:
  // Kept for the callers' contract; linked libraries are not looked up in it.
  void SetLibPath(const std::string& folder) { libPath_ = folder; }
  const std::string& LibPath() const { return libPath_; }

  // Text of the last failure, "Load library %s error: %s".
  const std::string& LastError() const { return lastError_; }

  // The library's file name, for example "libavcodec.so.59".
  std::string LibFileName(TLibrary library) const;

  // Binds every library of the set in table order; at the first failure
  // unbinds the whole set and answers false. An empty set is a programming
  // error (std::invalid_argument).
  bool LoadLibs(TLibrarySet libs);
  bool LibsLoaded(TLibrarySet libs) const;
  void UnloadLibs(TLibrarySet libs);

 private:
  bool LoadLib(TLibrary library);

  std::string libPath_;
  std::string lastError_;
  std::atomic<TLibrarySet> bound_{0};  // read by any thread
  bool logInstalled_ = false;
};

// The process's loader.
TFFmpegLoader& FFLoader();

}  // namespace kx
