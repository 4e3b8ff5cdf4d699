#pragma once
// Colours of regions of decoded pictures, for tests that look at what the
// frame hook drew.
struct AVFrame;

namespace kx::test {

struct RgbMean {
  double r = 0, g = 0, b = 0;
};

// The mean colour of the rectangle, the picture converted to RGB the way
// the engine converts for its hook (BT.601, limited range); the rectangle
// is cut to the picture. Throws std::runtime_error when it cannot convert.
RgbMean MeanRgb(const AVFrame& picture, int left, int top, int width, int height);

}  // namespace kx::test
