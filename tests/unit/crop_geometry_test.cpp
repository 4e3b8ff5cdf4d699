// How the crop dialog's view margins become even source margins.
#include <gtest/gtest.h>

#include "edit/crop_geometry.h"

namespace kx {
namespace {

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
