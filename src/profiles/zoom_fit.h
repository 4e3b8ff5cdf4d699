#pragma once
// How a source picture is fitted into an output frame: letterbox bars, and
// the side or top crops of pan and scan to 4:3.
#include <string>

namespace kx {

struct Pads {
  int left = 0, right = 0, top = 0, bottom = 0;
};

// Bars that keep the shape of a srcW × srcH picture inside W × H, each an
// even count, computed from the whole (uncropped) source. No bars when a
// size is not positive.
Pads LetterboxPads(int srcW, int srcH, int W, int H);
// "scale=…,pad=…" that draws the picture into W × H with those bars.
std::string LetterboxFilter(int W, int H, const Pads& pads);

// Pan and scan of a picture that remains cw × ch after cropping: the extra
// crop for each of the two opposite edges that brings it to 4:3, left and
// right for a wide picture, top and bottom for a tall one. The arithmetic is
// done in long double, whose 4/3 lies just above the true value: a 720 × 480
// picture gives 59 here (58 after the even rounding), where double gives 60.
struct PanCrop {
  enum class Edges { None, LeftRight, TopBottom } edges = Edges::None;
  long long extra = 0;
};
PanCrop PanScanCrop(int cw, int ch);

}  // namespace kx
