// Where the crop dialog draws a picture and how its view margins become even
// source margins.
#include <gtest/gtest.h>

#include "edit/crop_geometry.h"

namespace kx {
namespace {

TEST(CropGeometryTest, PictureIsFittedAndCentred) {
  struct Case {
    int width, height;
    TPaneRect expected;
  };
  const Case cases[] = {
      {720, 480, {0, 12, 420, 279}},   // wider than the pane: inset round(11.5) = 12 top and bottom
      {720, 576, {21, 0, 378, 303}},   // taller than the pane: inset round(20.625) at the sides
      {300, 600, {134, 0, 152, 303}},  // tall: inset round(134.25) at the sides
      {0, 480, {}},                    // no area: nothing drawn
  };
  for (const Case& c : cases)
    EXPECT_EQ(FitPicture(c.width, c.height, 420, 303), c.expected) << c.width << "x" << c.height;
}

TEST(CropGeometryTest, SourceMarginsAreEven) {
  struct Case {
    int view, source, viewLength, expected;
  };
  const Case cases[] = {
      {20, 480, 277, 34},  // 34.66… rounds to 35, made even
      {73, 500, 1000, 36},  // 36.5 rounds to even 36
      {75, 500, 1000, 38},  // 37.5 rounds to even 38
      {69, 500, 1000, 34},  // 34.5 rounds down to even 34
      {0, 480, 277, 0},
      {10, 480, 0, 0},      // no view: no margin
  };
  for (const Case& c : cases)
    EXPECT_EQ(SourceMargin(c.view, c.source, c.viewLength), c.expected) << c.view << " of " << c.viewLength;
}

}  // namespace
}  // namespace kx
