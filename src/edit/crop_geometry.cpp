#include "edit/crop_geometry.h"

#include <cmath>

namespace kx {

TPaneRect FitPicture(int pictureWidth, int pictureHeight, int paneWidth, int paneHeight) {
  if (pictureWidth <= 0 || pictureHeight <= 0 || paneWidth <= 0 || paneHeight <= 0) return {};
  const double a = static_cast<double>(pictureWidth) / paneWidth;
  const double b = static_cast<double>(pictureHeight) / paneHeight;
  // std::nearbyint rounds halves to even in the default rounding mode.
  if (a >= b) {
    const int inset = static_cast<int>(std::nearbyint((paneHeight - pictureHeight / a) / 2));
    return {0, inset, paneWidth, paneHeight - 2 * inset};
  }
  const int inset = static_cast<int>(std::nearbyint((paneWidth - pictureWidth / b) / 2));
  return {inset, 0, paneWidth - 2 * inset, paneHeight};
}

int SourceMargin(int viewMargin, int sourceLength, int viewLength) {
  if (viewLength <= 0) return 0;
  const auto scaled = static_cast<int>(std::nearbyint(static_cast<double>(viewMargin) * sourceLength / viewLength));
  return 2 * (scaled / 2);
}

}  // namespace kx
