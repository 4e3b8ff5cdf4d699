#pragma once
// The effects of one title on its converted frames: colour adjustments,
// then the watermark items whose seconds cover the frame, in list order.
//
// Built on the main thread before the run from the title's job record;
// afterwards it keeps no reference to the record and is only read, so the
// worker thread may apply it while the window touches the records.
#include <cstdint>
#include <memory>
#include <vector>

#include "app/title_job.h"
#include "edit/colour_adjustment.h"
#include "edit/overlay_blend.h"
#include "engine/event_records.h"

namespace kx {

class TFrameEffects {
 public:
  // Renders the texts and loads the pictures. An item whose picture cannot
  // be read is left out, with an error in the log; the others still apply.
  explicit TFrameEffects(const TlvFilesRecord& rec);

  // Any thread; `ptsUs` is the frame's time in the title, and the frame's
  // second is ptsUs / 1 000 000 truncated toward zero.
  void Apply(TBitmap& frame, std::int64_t ptsUs) const;

 private:
  struct PlacedOverlay {
    TOverlay Picture;
    int Left = 0, Top = 0, Alpha = 0;
    int StartSec = 0, EndSec = 0;  // both inclusive
  };

  TColorAdjustment colors_;
  std::vector<PlacedOverlay> overlays_;
};

// The effects of every task of a run, found through the task's row.
class TTaskEffects {
 public:
  // Main thread, before the run starts: entry i of `taskRows` is the row of
  // task i, `recordOf` gives a row's job record (nullptr: none). Replaces
  // what an earlier run prepared.
  template <class RecordOf>
  void Prepare(const std::vector<int>& taskRows, RecordOf recordOf) {
    tasks_.clear();
    for (int row : taskRows) {
      const TlvFilesRecord* rec = recordOf(row);
      tasks_.push_back(rec != nullptr ? std::make_unique<const TFrameEffects>(*rec) : nullptr);
    }
  }

  // The frame hook, on the task's worker thread: adjusts and marks the
  // frame in place and leaves Update and StopHook as they came, so every
  // frame is taken back. A task without prepared effects is left alone.
  void Apply(THookInfo& info) const;

 private:
  std::vector<std::unique_ptr<const TFrameEffects>> tasks_;
};

}  // namespace kx
