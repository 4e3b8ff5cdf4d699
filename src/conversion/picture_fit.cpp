#include "conversion/picture_fit.h"

#include <cmath>

namespace kx {

FitRect FitPicture(int W, int H, int w, int h) {
  const double a = static_cast<double>(w) / W, b = static_cast<double>(h) / H;
  if (a >= b) {
    const int margin = static_cast<int>(std::lround((H - h / a) / 2));
    return {0, margin, W, H - 2 * margin};
  }
  const int margin = static_cast<int>(std::lround((W - w / b) / 2));
  return {margin, 0, W - 2 * margin, H};
}

}  // namespace kx
