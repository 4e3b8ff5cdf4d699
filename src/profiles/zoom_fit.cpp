#include "profiles/zoom_fit.h"

#include <cmath>
#include <cstdlib>

namespace kx {

Pads LetterboxPads(int srcW, int srcH, int W, int H) {
  Pads pads;
  if (srcW <= 0 || srcH <= 0 || W <= 0 || H <= 0 || (W == srcW && H == srcH)) return pads;
  const double rW = static_cast<double>(srcW) / W, rH = static_cast<double>(srcH) / H;
  if (rW > rH) {
    const int shown = 2 * (static_cast<int>(std::trunc(srcH / rW)) / 2);
    pads.top = pads.bottom = 2 * ((H - shown) / 4);
  } else if (rW < rH) {
    const int shown = 2 * (static_cast<int>(std::trunc(srcW / rH)) / 2);
    pads.left = pads.right = 2 * ((W - shown) / 4);
  }
  return pads;
}

std::string LetterboxFilter(int W, int H, const Pads& pads) {
  return "scale=" + std::to_string(W - pads.left - pads.right) + ":" + std::to_string(H - pads.top - pads.bottom) +
         ",pad=" + std::to_string(W) + ":" + std::to_string(H) + ":" + std::to_string(pads.left) + ":" +
         std::to_string(pads.top);
}

PanCrop PanScanCrop(int cw, int ch) {
  PanCrop crop;
  if (cw <= 0 || ch <= 0) return crop;
  const long double four3 = 4.0L / 3.0L;
  const long double width = cw, height = ch;
  const long double aspect = width / height;
  if (aspect > four3) {
    crop.edges = PanCrop::Edges::LeftRight;
    crop.extra = std::llabs(static_cast<long long>(std::trunc((width / height - four3) * width)) / 2);
  } else if (aspect < four3) {
    crop.edges = PanCrop::Edges::TopBottom;
    crop.extra = std::llabs(static_cast<long long>(std::trunc((height / width - 0.75L) * height)) / 2);
  }
  return crop;
}

}  // namespace kx
