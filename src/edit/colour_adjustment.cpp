#include "edit/colour_adjustment.h"

#include <algorithm>
#include <cmath>

#include "app/title_job.h"

namespace kx {
namespace {

int Clamp(long long value, int low, int high) {
  return static_cast<int>(std::clamp<long long>(value, low, high));
}

std::uint8_t ClampLevel(long long value) { return static_cast<std::uint8_t>(Clamp(value, 0, 255)); }

// The contrast curve around level 170. The two sides use different angle
// constants (pi/200 and the decimal 0.015708); both are kept because
// pictures adjusted in the dialog must look the same in the file.
std::array<std::uint8_t, 256> ContrastCurve(int contrast) {
  if (contrast == 100) contrast = 99;  // the factor is infinite at 100
  const long double angle = contrast > 0 ? contrast * 0.015707963267948966L : contrast * 0.015708L;
  const double factor = static_cast<double>(contrast > 0 ? 1.0L / std::cos(angle) : std::cos(angle));
  std::array<std::uint8_t, 256> curve{};
  for (int i = 0; i < 256; ++i)
    curve[i] = ClampLevel(std::llrint((i - 170) * static_cast<long double>(factor) + 170));  // halves to even
  return curve;
}

}  // namespace

TColorTables::TColorTables(int brightness, int contrast, int saturation) {
  brightness = std::clamp(brightness, 0, 512);
  contrast = std::clamp(contrast, -100, 100);
  saturation = std::clamp(saturation, 0, 512);
  const std::array<std::uint8_t, 256> contrastCurve = ContrastCurve(contrast);
  std::array<std::uint8_t, 256> brightnessAndContrast{};
  for (int j = 0; j < 256; ++j)
    brightnessAndContrast[j] = contrastCurve[Clamp((256 - brightness + brightness * j) / 256, 0, 255)];
  for (int m = 0; m < 256; ++m) channel_[m] = static_cast<std::uint16_t>(((m + 1) * saturation) >> 8);
  for (int n = 0; n < 766; ++n) grey_[n] = static_cast<std::int16_t>(n / 3 - channel_[n / 3] - kLowest);
  for (int v = kLowest; v <= kHighest; ++v) curve_[v - kLowest] = brightnessAndContrast[Clamp(v, 0, 255)];
}

void TColorTables::ComposeWith(const std::array<std::uint8_t, 256>& after) {
  for (std::uint8_t& level : curve_) level = after[level];
}

void TColorTables::Apply(TBitmap& picture) const {
  for (int y = 0; y < picture.Height; ++y) {
    std::uint8_t* p = picture.Row(y);
    for (std::uint8_t* const end = p + picture.Width * 3; p != end; p += 3) {
      const int grey = grey_[p[0] + p[1] + p[2]];
      p[0] = curve_[grey + channel_[p[0]]];
      p[1] = curve_[grey + channel_[p[1]]];
      p[2] = curve_[grey + channel_[p[2]]];
    }
  }
}

std::array<std::uint8_t, 256> ExposureTable(float exposure) {
  const long double x = std::clamp(exposure, -255.0f, 512.0f);
  std::array<std::uint8_t, 256> table{};
  for (int i = 0; i < 256; ++i) {
    const long double e = std::exp((i / -128.0L) * (x / 128.0L));
    const long long v = std::llrint((1 - e) * 256);
    const long long moved = x >= 0 ? (v * (255 - i)) >> 8 : -(((-v) * (255 - i)) >> 8);
    table[i] = ClampLevel(i + moved);
  }
  return table;
}

void ApplyLevelTable(TBitmap& picture, const std::array<std::uint8_t, 256>& table) {
  for (int y = 0; y < picture.Height; ++y) {
    std::uint8_t* p = picture.Row(y);
    for (std::uint8_t* const end = p + picture.Width * 3; p != end; ++p) *p = table[*p];
  }
}

void AdjustColors(TBitmap& picture, int brightness, int contrast, int saturation) {
  TColorTables(brightness, contrast, saturation).Apply(picture);
}

void AdjustExposure(TBitmap& picture, float exposure) { ApplyLevelTable(picture, ExposureTable(exposure)); }

TColorAdjustment::TColorAdjustment(int brightness, int contrast, int saturation, int exposure) {
  if (brightness != kNeutralBrightness || contrast != kNeutralContrast || saturation != kNeutralSaturation) colors_.emplace(brightness, contrast, saturation);
  if (exposure == kNeutralExposure) return;
  const auto table = ExposureTable(static_cast<float>(exposure));
  if (colors_) colors_->ComposeWith(table);
  else exposure_ = table;
}

void TColorAdjustment::Apply(TBitmap& picture) const {
  if (colors_) colors_->Apply(picture);
  else if (exposure_) ApplyLevelTable(picture, *exposure_);
}

}  // namespace kx
