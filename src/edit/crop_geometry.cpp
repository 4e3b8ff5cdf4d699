#include "edit/crop_geometry.h"

#include <cmath>

namespace kx {

int SourceMargin(int viewMargin, int sourceLength, int viewLength) {
  if (viewLength <= 0) return 0;
  // std::nearbyint rounds halves to even in the default rounding mode.
  const auto scaled = static_cast<int>(std::nearbyint(static_cast<double>(viewMargin) * sourceLength / viewLength));
  return 2 * (scaled / 2);
}

}  // namespace kx
