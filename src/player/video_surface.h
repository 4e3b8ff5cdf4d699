#pragma once
// Where a player shows its pictures: the owner's window implements it.
#include "engine/bitmap.h"

namespace kx {

class TVideoSurface {
 public:
  virtual ~TVideoSurface() = default;
  // Display thread; must not block for long. `picture` is lent for the call
  // and `displayAspect` is the width/height ratio it is to be shown at
  // (letterboxed); 0 or less fills the surface.
  virtual void ShowPicture(const TBitmap& picture, double displayAspect) = 0;
  // Any thread: forget the picture and show black.
  virtual void ClearPicture() = 0;
};

}  // namespace kx
