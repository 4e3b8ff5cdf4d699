#include "edit/frame_effects.h"

#include <exception>

extern "C" {
#include <libavutil/log.h>
}

#include "edit/watermark_render.h"

namespace kx {

TFrameEffects::TFrameEffects(const TlvFilesRecord& rec)
    : colors_(rec.Brightness, rec.Contrast, rec.Saturation, rec.Exposure) {
  for (const TWmRec& item : rec.WaterMarks) {
    if (item.EndSec < item.StartSec) continue;
    PlacedOverlay placed;
    placed.StartSec = item.StartSec;
    placed.EndSec = item.EndSec;
    if (item.Kind == kWmText) {
      placed.Picture = RenderTextItem(item);
      placed.Left = item.TextLeft;
      placed.Top = item.TextTop;
      placed.Alpha = item.TextAlpha;
    } else if (item.Kind == kWmImage && !item.ImageFile.empty()) {
      try {
        placed.Picture = LoadPictureItem(item);
      } catch (const std::exception& error) {
        av_log(nullptr, AV_LOG_ERROR, "Watermark left out: %s\n", error.what());
        continue;
      }
      placed.Left = item.ImageLeft;
      placed.Top = item.ImageTop;
      placed.Alpha = item.ImageAlpha;
    }
    if (placed.Picture.Width > 0 && placed.Picture.Height > 0 && placed.Alpha > 0)
      overlays_.push_back(std::move(placed));
  }
}

void TFrameEffects::Apply(TBitmap& frame, std::int64_t ptsUs) const {
  colors_.Apply(frame);
  const std::int64_t second = ptsUs / 1000000;
  for (const PlacedOverlay& placed : overlays_)
    if (placed.StartSec <= second && second <= placed.EndSec)
      BlendBitmap(frame, placed.Picture, placed.Left, placed.Top, placed.Alpha);
}

void TTaskEffects::Apply(THookInfo& info) const {
  if (info.Bitmap == nullptr || info.TaskIndex < 0 || info.TaskIndex >= static_cast<int>(tasks_.size())) return;
  if (const auto& effects = tasks_[info.TaskIndex]) effects->Apply(*info.Bitmap, info.PTS);
}

}  // namespace kx
