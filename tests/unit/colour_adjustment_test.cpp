#include "edit/colour_adjustment.h"

#include <gtest/gtest.h>

#include <array>
#include <random>
#include <vector>

namespace kx {
namespace {

using Pixel = std::array<int, 3>;  // blue, green, red

// One row of pixels; rows are padded, and the padding must survive.
TBitmap Row(const std::vector<Pixel>& pixels) {
  TBitmap picture;
  picture.Resize(static_cast<int>(pixels.size()), 1);
  std::fill(picture.Pixels.begin(), picture.Pixels.end(), 0xAB);
  for (size_t i = 0; i < pixels.size(); ++i)
    for (int c = 0; c < 3; ++c) picture.Pixels[i * 3 + c] = static_cast<std::uint8_t>(pixels[i][c]);
  return picture;
}

std::vector<Pixel> PixelsOf(const TBitmap& picture) {
  std::vector<Pixel> pixels;
  for (int x = 0; x < picture.Width; ++x)
    pixels.push_back({picture.Row(0)[x * 3], picture.Row(0)[x * 3 + 1], picture.Row(0)[x * 3 + 2]});
  return pixels;
}

std::vector<Pixel> Greys(const std::vector<int>& levels) {
  std::vector<Pixel> pixels;
  for (int level : levels) pixels.push_back({level, level, level});
  return pixels;
}

// A picture with every kind of pixel, several rows, odd width (padded rows).
TBitmap Noise(int width = 37, int height = 11) {
  TBitmap picture;
  picture.Resize(width, height);
  std::mt19937 random(7);
  for (auto& byte : picture.Pixels) byte = static_cast<std::uint8_t>(random());
  return picture;
}

struct ColorCase {
  const char* name;
  int brightness, contrast, saturation;
  std::vector<Pixel> in, out;
};

void PrintTo(const ColorCase& c, std::ostream* os) { *os << c.name; }

class AdjustColorsTest : public testing::TestWithParam<ColorCase> {};

TEST_P(AdjustColorsTest, MapsPixels) {
  const ColorCase& c = GetParam();
  TBitmap picture = Row(c.in);
  AdjustColors(picture, c.brightness, c.contrast, c.saturation);
  EXPECT_EQ(PixelsOf(picture), c.out);
  for (size_t i = c.in.size() * 3; i < picture.Pixels.size(); ++i) EXPECT_EQ(picture.Pixels[i], 0xAB) << "padding";
}

INSTANTIATE_TEST_SUITE_P(
    Cases, AdjustColorsTest,
    testing::Values(
        ColorCase{"identity", 256, 0, 256, {{0, 128, 255}, {1, 2, 3}, {255, 255, 255}}, {{0, 128, 255}, {1, 2, 3}, {255, 255, 255}}},
        ColorCase{"brightness_255_lowers_levels_from_2", 255, 0, 256, Greys({0, 1, 2, 100, 255}), Greys({0, 1, 1, 99, 254})},
        ColorCase{"saturation_128_halves_the_distance", 256, 0, 128, {{0, 128, 255}}, {{63, 127, 191}}},
        ColorCase{"saturation_0_is_grey", 256, 0, 0, {{0, 128, 255}}, {{127, 127, 127}}},
        ColorCase{"saturation_512_doubles_the_distance", 256, 0, 512, {{0, 128, 255}}, {{0, 129, 255}}},
        ColorCase{"contrast_50", 256, 50, 256, Greys({128, 192, 170}), Greys({111, 201, 170})},
        ColorCase{"contrast_minus_50", 256, -50, 256, Greys({0, 224}), Greys({50, 208})},
        ColorCase{"contrast_minus_100_is_flat", 256, -100, 256, Greys({0, 77, 255}), Greys({170, 170, 170})},
        ColorCase{"contrast_100_acts_as_99", 256, 100, 256, Greys({168, 169, 170, 171, 172}), Greys({43, 106, 170, 234, 255})},
        ColorCase{"brightness_512_doubles", 512, 0, 256, {{10, 20, 30}}, {{19, 39, 59}}},
        ColorCase{"brightness_0_maps_to_level_1", 0, 0, 256, Greys({0, 128, 255}), Greys({1, 1, 1})},
        ColorCase{"out_of_range_limited", 9999, -9999, -5, {{0, 128, 255}}, {{170, 170, 170}}}),
    [](const auto& info) { return std::string(info.param.name); });

struct ExposureCase {
  float exposure;
  std::vector<int> levels, expected;
};

class AdjustExposureTest : public testing::TestWithParam<ExposureCase> {};

TEST_P(AdjustExposureTest, MapsEveryChannel) {
  const ExposureCase& c = GetParam();
  TBitmap picture = Row(Greys(c.levels));
  AdjustExposure(picture, c.exposure);
  EXPECT_EQ(PixelsOf(picture), Greys(c.expected));
}

INSTANTIATE_TEST_SUITE_P(
    Cases, AdjustExposureTest,
    testing::Values(ExposureCase{0, {0, 1, 64, 128, 254, 255}, {0, 1, 64, 128, 254, 255}},
                    ExposureCase{100, {0, 1, 16, 64, 128, 192, 254, 255}, {0, 2, 38, 125, 196, 235, 254, 255}},
                    ExposureCase{256, {0, 1, 16, 64, 128, 192, 254, 255}, {0, 4, 69, 184, 237, 251, 254, 255}},
                    ExposureCase{512, {0, 1, 16, 64, 128, 192, 254, 255}, {0, 8, 110, 228, 252, 254, 255, 255}},
                    ExposureCase{-100, {0, 1, 16, 64, 128, 192, 254, 255}, {0, 0, 0, 0, 0, 52, 251, 255}},
                    ExposureCase{-255, {0, 1, 16, 64, 128, 192, 254, 255}, {0, 0, 0, 0, 0, 0, 203, 255}},
                    ExposureCase{5000, {16, 64}, {110, 228}}));  // limited to 512

TEST(AdjustColorsTest, NeutralSettingsLeaveEveryPixel) {
  const TBitmap before = Noise();
  TBitmap picture = before;
  AdjustColors(picture, 256, 0, 256);
  AdjustExposure(picture, 0);
  EXPECT_EQ(picture.Pixels, before.Pixels);
}

struct AdjustmentCase {
  int brightness, contrast, saturation, exposure;
};

class ColorAdjustmentTest : public testing::TestWithParam<AdjustmentCase> {};

// A title's prepared adjustment equals the two routines in their order,
// skipping the colours at 255, 0, 255 and the exposure at 0.
TEST_P(ColorAdjustmentTest, EqualsTheRoutinesInTurn) {
  const AdjustmentCase& c = GetParam();
  const TBitmap before = Noise();
  TBitmap expected = before;
  const bool colors = c.brightness != 255 || c.contrast != 0 || c.saturation != 255;
  if (colors) AdjustColors(expected, c.brightness, c.contrast, c.saturation);
  if (c.exposure != 0) AdjustExposure(expected, static_cast<float>(c.exposure));

  const TColorAdjustment adjustment(c.brightness, c.contrast, c.saturation, c.exposure);
  EXPECT_EQ(adjustment.Neutral(), !colors && c.exposure == 0);
  TBitmap picture = before;
  adjustment.Apply(picture);
  EXPECT_EQ(picture.Pixels, expected.Pixels);
}

INSTANTIATE_TEST_SUITE_P(Cases, ColorAdjustmentTest,
                         testing::Values(AdjustmentCase{255, 0, 255, 0}, AdjustmentCase{254, 0, 255, 0},
                                         AdjustmentCase{255, 0, 255, 1}, AdjustmentCase{300, 40, 100, 0},
                                         AdjustmentCase{300, 40, 100, -120}, AdjustmentCase{0, -100, 512, 512}));

}  // namespace
}  // namespace kx
