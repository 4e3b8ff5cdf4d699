#pragma once
// Where a preview picture goes in its box: scaled to fit with its shape
// kept, centred, the margins split equally and rounded to whole pixels.

namespace kx {

struct FitRect {
  int x = 0, y = 0, width = 0, height = 0;
  bool operator==(const FitRect&) const = default;
};

// A w × h picture in a W × H box; all sizes positive.
FitRect FitPicture(int W, int H, int w, int h);

}  // namespace kx
