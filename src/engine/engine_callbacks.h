#pragma once
// What a running transcode hands back to its owner (the encoder component).
// All of them are called on the task's worker thread (or the caller's thread
// for a run without threads); marshalling to the main thread is the owner's.
#include <cstdint>
#include <functional>

#include "engine/bitmap.h"
#include "engine/event_records.h"

namespace kx {

struct TEngineCallbacks {
  // Progress report; TaskIndex is left for the owner to fill.
  std::function<void(TProgressInfo& info)> progress;
  // Preview bitmap event (preview flag bit 1): the encoded picture in BGR.
  std::function<void(const TBitmap& picture, std::int64_t ptsUs, int frameNumber)> previewBitmap;
  // Preview window (preview flag bit 0): answers false once the user closed it.
  std::function<bool(const TBitmap& picture, std::int64_t ptsUs, int frameNumber)> previewWindow;
  // Frame hook, only for outputs that asked for it; may throw.
  std::function<void(THookInfo& info)> customHook;
};

// Preview flag bits of an engine.
constexpr int kPreviewWindowFlag = 1;
constexpr int kPreviewBitmapFlag = 2;

}  // namespace kx
