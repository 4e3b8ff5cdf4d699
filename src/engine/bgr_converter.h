#pragma once
// Pictures to 24-bit BGR bitmaps and back, for the frame hook and the
// previews. The scalers are cached and rebuilt only when the geometry or the
// pixel format changes. One instance per use; not thread-safe.
extern "C" {
#include <libavutil/frame.h>
}

#include "engine/av_holders.h"
#include "engine/bitmap.h"

namespace kx {

class TBgrConverter {
 public:
  // Resizes `bitmap` to the picture and fills it; false when no scaler can be made.
  bool ToBitmap(const AVFrame& picture, TBitmap& bitmap);
  // Writes the bitmap's pixels into the (writable) picture of the same size.
  bool FromBitmap(const TBitmap& bitmap, AVFrame& picture);

 private:
  ScalerPtr toBgr_;
  ScalerPtr fromBgr_;
};

}  // namespace kx
