#pragma once
// The transcoding engine of one conversion task. Every setting arrives through
// SetOption (names of a command-line transcoder) and waits in the pending
// settings until the next input is opened or output created.
// Used by the thread that sets the task up (the main thread); not thread-safe.
#include <atomic>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

extern "C" {
#include <libavformat/avformat.h>
}

#include "engine/engine_callbacks.h"
#include "engine/frame_hook_library.h"
#include "engine/generic_options.h"
#include "engine/pending_settings.h"
#include "engine/run_control.h"
#include "engine/transcode_tables.h"

namespace kx {

constexpr int kMaxInputFiles = 20;
constexpr int kMaxOutputFiles = 20;

class TTranscodeRun;

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

  // Creates the next output with the pending settings: number of outputs, or -1 with LastError().
  // A joined output counts once: the run hands its streams on from one input to the next, with
  // the encoders kept open, so no entry per input is needed and the output limit counts files.
  int CreateOutput(const std::string& name, bool join);
  size_t OutputCount() const { return outputs_.size(); }
  const std::vector<std::unique_ptr<TOutputFile>>& Outputs() const { return outputs_; }

  // One run in the calling thread: set-up, loop, flush, trailers, final progress report. Checks
  // control.CheckPoint() at the top of every packet pass and between duplicated frames (it blocks
  // while paused). Answers true when the inputs were converted to their end (or to the recording
  // time / a frame limit), false when a stop ended it early (the trailer is still written: the
  // file plays to where it stopped). Raises FFmpegException with the engine's texts on failure.
  // Releases nothing: the caller calls Release() afterwards in every case.
  bool Transcode(TRunControl& control, const TEngineCallbacks& callbacks);
  // Closes encoders/decoders still open (under the codec lock), closes every output file
  // (deleting files still 0 bytes long), frees inputs and outputs. Safe to call twice and after
  // a failed run.
  void Release();

  void SetProgressIntervalUs(int64_t us) { progressIntervalUs_ = us; }
  // Preview flag bits (kPreviewWindowFlag, kPreviewBitmapFlag). Changed by the owner under
  // PreviewLock() while a run goes on; the run clears a bit when its preview fails.
  void SetPreviewFlags(int flags) { previewFlags_.store(flags); }
  int PreviewFlags() const { return previewFlags_.load(); }
  // The frame hook (callbacks.customHook) is called only when enabled.
  void SetCustomHookEnabled(bool on) { customHookEnabled_ = on; }

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
  void TakeAudioFormat(const AVStream& stream);

  // output_setup.cpp
  void CreateOutputFile(const std::string& name, bool join);
  void AddStreams(TOutputFile& file);
  void NewVideoStream(TOutputFile& file);
  void NewAudioStream(TOutputFile& file);
  void NewSubtitleStream(TOutputFile& file);
  TOutputStream& NewStream(TOutputFile& file, AVMediaType type, TStreamTypeSettings& typeSettings);
  bool InputsHave(AVMediaType type) const;
  bool InputsHaveBitmapSubtitles() const;

  TPendingSettings settings_;
  std::unique_ptr<TGenericOptions> generic_;
  std::vector<TInputFile> inputs_;
  std::vector<std::unique_ptr<TFrameHookLibrary>> hookLibraries_;
  int64_t totalDurationUs_ = -1;
  std::string lastError_;

  std::vector<std::unique_ptr<TOutputFile>> outputs_;
  bool joinMode_ = false;
  std::unique_ptr<TTranscodeRun> run_;
  int64_t progressIntervalUs_ = 500000;
  std::atomic<int> previewFlags_{0};
  bool customHookEnabled_ = false;
};

}  // namespace kx
