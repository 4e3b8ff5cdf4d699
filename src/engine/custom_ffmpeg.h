#pragma once
// The transcoding engine of one conversion task. Every setting arrives through
// SetOption (names of a command-line transcoder) and waits in the pending
// settings until the next input is opened or output created.
// Used by the thread that sets the task up (the main thread); not thread-safe.
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

extern "C" {
#include <libavformat/avformat.h>
}

#include "engine/frame_hook_library.h"
#include "engine/generic_options.h"
#include "engine/pending_settings.h"

namespace kx {

constexpr int kMaxInputFiles = 20;

// One opened input: the demuxer context and its time-stamp corrections.
struct TInputFile {
  struct Closer {
    void operator()(AVFormatContext* ctx) const;
  };
  std::unique_ptr<AVFormatContext, Closer> ctx;
  int64_t tsOffsetUs = 0;
  std::array<double, kMaxStreams> tsScale{};
};

class TCustomFFmpeg {
 public:
  TCustomFFmpeg();
  ~TCustomFFmpeg();
  TCustomFFmpeg(const TCustomFFmpeg&) = delete;
  TCustomFFmpeg& operator=(const TCustomFFmpeg&) = delete;

  // Back to the defaults: pending settings, generic options, inputs, hooks.
  void Reset();

  // Raises FFmpegException with the engine's text when the value is rejected.
  void SetOption(const std::string& name, const std::string& value);
  // The disc target; `norm` "pal", "ntsc", "film" or anything else for automatic,
  // `fallbackNorm` decides when the automatic rule cannot.
  void SetTarget(const std::string& type, const std::string& norm, const std::string& fallbackNorm);

  // Opens the next input with the pending settings; false with LastError() on failure.
  bool OpenInput(const std::string& name);

  const std::string& LastError() const { return lastError_; }
  const TPendingSettings& Pending() const { return settings_; }
  const TGenericOptions& GenericOptions() const { return *generic_; }
  const std::vector<TInputFile>& Inputs() const { return inputs_; }
  size_t HookLibraryCount() const { return hookLibraries_.size(); }
  // Expected output duration for progress: -1 when unknown.
  int64_t TotalDurationUs() const { return totalDurationUs_; }
  // The encoders and muxer that the pending names choose (for private options).
  TOptionOwners OptionOwners() const;

 private:
  using Handler = void (*)(TCustomFFmpeg& engine, const std::string& name, const std::string& value);
  static const std::unordered_map<std::string_view, Handler>& Handlers();

  void SetGeneric(const std::string& name, const std::string& value);
  void SetBitRate(AVMediaType type, const std::string& value);
  void SetCodecName(TStreamTypeSettings& stream, const std::string& value);
  void SetCrop(int& band, int& dimension, int value, const char* direction, const char* name);
  void ApplyPreset(const std::string& option, const std::string& value);
  void ApplyPresetText(const std::string& preset, const std::string& text, const TOptionOwners& owners);
  void ApplyTargetOption(const std::string& value);
  void SetLogLevel(const std::string& value);
  void OpenInputFile(const std::string& name);
  void TakeVideoGeometry(const AVStream& stream);

  TPendingSettings settings_;
  std::unique_ptr<TGenericOptions> generic_;
  std::vector<TInputFile> inputs_;
  std::vector<std::unique_ptr<TFrameHookLibrary>> hookLibraries_;
  int64_t totalDurationUs_ = -1;
  std::string lastError_;
};

}  // namespace kx
