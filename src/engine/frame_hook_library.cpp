#include "engine/frame_hook_library.h"

#include <dlfcn.h>

#include <sstream>

#include "engine/ffmpeg_exception.h"

namespace kx {
namespace {

constexpr size_t kMaxHookWords = 64;

}  // namespace

std::vector<std::string> SplitHookWords(const std::string& text) {
  const char separator = text.find('|') != std::string::npos ? '|' : ' ';
  std::vector<std::string> words;
  std::istringstream stream(text);
  std::string word;
  while (std::getline(stream, word, separator))
    if (!word.empty()) words.push_back(word);
  return words;
}

std::unique_ptr<TFrameHookLibrary> TFrameHookLibrary::Load(const std::string& text) {
  const auto fail = [&]() -> std::unique_ptr<TFrameHookLibrary> {
    throw FFmpegException("Failed to add video hook function: " + text);
  };
  std::vector<std::string> words = SplitHookWords(text);
  if (words.empty() || words.size() > kMaxHookWords) return fail();

  std::unique_ptr<TFrameHookLibrary> library(new TFrameHookLibrary);
  library->handle_ = dlopen(words[0].c_str(), RTLD_NOW | RTLD_LOCAL);
  if (library->handle_ == nullptr) return fail();
  auto configure = reinterpret_cast<ConfigureFn>(dlsym(library->handle_, "Configure"));
  library->process_ = reinterpret_cast<ProcessFn>(dlsym(library->handle_, "Process"));
  library->release_ = reinterpret_cast<ReleaseFn>(dlsym(library->handle_, "Release"));
  if (configure == nullptr || library->process_ == nullptr) return fail();

  std::vector<char*> argv;
  for (std::string& word : words) argv.push_back(word.data());
  argv.push_back(nullptr);
  if (configure(&library->ctx_, static_cast<int>(words.size()), argv.data()) != 0) return fail();
  return library;
}

TFrameHookLibrary::~TFrameHookLibrary() {
  if (release_ != nullptr && ctx_ != nullptr) release_(ctx_);
  if (handle_ != nullptr) dlclose(handle_);
}

void TFrameHookLibrary::Process(uint8_t* data[4], int linesize[4], int pixFmt, int width, int height,
                                int64_t ptsUs) const {
  process_(ctx_, data, linesize, pixFmt, width, height, ptsUs);
}

}  // namespace kx
