#pragma once
// Brightness, contrast, saturation and exposure of 24-bit pictures through
// lookup tables. The tables depend only on the four values, so a conversion
// builds them once per title and each frame costs a few table reads per
// byte. Pure computation without Qt; any thread.
#include <array>
#include <cstdint>
#include <optional>

#include "engine/bitmap.h"

namespace kx {

// Brightness, contrast and saturation together: each channel moves away
// from or toward the pixel's plain grey average by saturation / 256, then
// brightness scales the level by about brightness / 256 before a contrast
// curve that turns around level 170. The identity is 256, 0, 256 (the
// dialog's neutral 255 is not quite the identity). Values outside the
// dialog's ranges (0 … 512, -100 … 100, 0 … 512) are limited to them.
class TColorTables {
 public:
  TColorTables(int brightness, int contrast, int saturation);

  // `after` maps every resulting level once more (exposure in one pass).
  void ComposeWith(const std::array<std::uint8_t, 256>& after);
  void Apply(TBitmap& picture) const;

 private:
  // grey_[s] + channel_[x] spans kLowest … kHighest before the curve's
  // clamp; the curve table is indexed from kLowest so the pixel loop needs
  // no comparison.
  static constexpr int kLowest = -257;
  static constexpr int kHighest = 767;
  std::array<std::uint16_t, 256> channel_{};          // (x + 1) * S >> 8
  std::array<std::int16_t, 766> grey_{};              // g - channel_[g] - kLowest, g = s / 3
  std::array<std::uint8_t, kHighest - kLowest + 1> curve_{};  // clamp, then brightness and contrast
};

// Exposure: lifts (positive) or lowers (negative) the levels between black
// and white along an exponential; 0 and 255 never move. Limited to
// -255 … 512.
std::array<std::uint8_t, 256> ExposureTable(float exposure);

void ApplyLevelTable(TBitmap& picture, const std::array<std::uint8_t, 256>& table);

// The two routines the dialog and the frame hook call; when both apply,
// AdjustColors comes first.
void AdjustColors(TBitmap& picture, int brightness, int contrast, int saturation);
void AdjustExposure(TBitmap& picture, float exposure);

// A title's adjustments prepared once: colours (skipped at 255, 0, 255) then
// exposure (skipped at 0), in one pass over the pixels.
class TColorAdjustment {
 public:
  TColorAdjustment(int brightness, int contrast, int saturation, int exposure);
  bool Neutral() const { return !colors_ && !exposure_; }
  void Apply(TBitmap& picture) const;

 private:
  std::optional<TColorTables> colors_;
  std::optional<std::array<std::uint8_t, 256>> exposure_;  // only without colours: else composed into them
};

}  // namespace kx
