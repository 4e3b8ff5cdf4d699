#pragma once
// A frame hook library ("vhook"): a shared library with the entry points
// "Configure", "Process" and "Release", called for every decoded picture.
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace kx {

class TFrameHookLibrary {
 public:
  // int Configure(void** ctx, int argc, char* argv[]): 0 on success.
  using ConfigureFn = int (*)(void** ctx, int argc, char* argv[]);
  // void Process(void* ctx, uint8_t* data[4], int linesize[4], int pixFmt, int width, int height, int64_t ptsUs)
  using ProcessFn = void (*)(void* ctx, uint8_t* data[4], int linesize[4], int pixFmt, int width, int height,
                             int64_t ptsUs);
  using ReleaseFn = void (*)(void* ctx);

  // The "vhook" value: the library path and its arguments, split at "|" when
  // the text holds one, else at spaces. Raises "Failed to add video hook function: " + text.
  static std::unique_ptr<TFrameHookLibrary> Load(const std::string& text);
  ~TFrameHookLibrary();
  TFrameHookLibrary(const TFrameHookLibrary&) = delete;
  TFrameHookLibrary& operator=(const TFrameHookLibrary&) = delete;

  void Process(uint8_t* data[4], int linesize[4], int pixFmt, int width, int height, int64_t ptsUs) const;

 private:
  TFrameHookLibrary() = default;
  void* handle_ = nullptr;
  void* ctx_ = nullptr;
  ProcessFn process_ = nullptr;
  ReleaseFn release_ = nullptr;
};

// The words of a "vhook" value.
std::vector<std::string> SplitHookWords(const std::string& text);

}  // namespace kx
