// TCustomFFmpeg's run and release: the engine lends its tables to one
// TTranscodeRun and takes everything back afterwards.
#include <filesystem>

#include "engine/codec_lock.h"
#include "engine/custom_ffmpeg.h"
#include "engine/ffmpeg_exception.h"
#include "engine/transcode_run.h"
#include "engine/unicode_names.h"

namespace kx {

bool TCustomFFmpeg::Transcode(TRunControl& control, const TEngineCallbacks& callbacks) {
  if (run_) {
    run_->CloseCodecs();
    run_.reset();
  }
  TRunEnvironment env{inputs_, outputs_, settings_, *generic_, previewFlags_};
  env.join = joinMode_;
  env.totalDurationUs = totalDurationUs_;
  env.progressIntervalUs = progressIntervalUs_;
  env.customHook = customHookEnabled_;
  env.hookLibraryCount = hookLibraries_.size();
  run_ = std::make_unique<TTranscodeRun>(env, callbacks);
  try {
    if (outputs_.empty()) throw FFmpegException("At least one output file must be specified");
    run_->BeginRun();
    const bool finished = run_->Loop(control);
    run_->Finish();
    run_->CloseCodecs();
    return finished;
  } catch (const FFmpegException& error) {
    av_log(nullptr, AV_LOG_QUIET, "%s\n", error.what());
    throw;
  }
}

void TCustomFFmpeg::Release() {
  if (run_) {
    run_->CloseCodecs();
    run_.reset();
  }
  {
    std::lock_guard lock(CodecLock());
    for (auto& file : outputs_)
      for (auto& ost : file->streams) ost->encoder.reset();
  }
  for (auto& file : outputs_) {
    const bool writesFile = !(file->ctx->oformat->flags & AVFMT_NOFILE);
    const std::string path = FromLibraryName(file->name);
    file->ctx.reset();
    std::error_code error;
    if (writesFile && std::filesystem::is_regular_file(path, error) && std::filesystem::file_size(path, error) == 0)
      std::filesystem::remove(path, error);
  }
  outputs_.clear();
  inputs_.clear();
  joinMode_ = false;
}

}  // namespace kx
