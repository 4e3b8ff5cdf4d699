#include "edit/frame_effects.h"

#include <gtest/gtest.h>

#include <QImage>
#include <climits>
#include <filesystem>
#include <random>

#include "edit/watermark_render.h"
#include "support/gui_app.h"
#include "support/test_env.h"

namespace kx {
namespace {

using test::EnsureGuiApplication;

TBitmap Solid(int width, int height, std::uint8_t level) {
  TBitmap frame;
  frame.Resize(width, height);
  std::fill(frame.Pixels.begin(), frame.Pixels.end(), level);
  return frame;
}

TBitmap Noise(int width, int height) {
  TBitmap frame;
  frame.Resize(width, height);
  std::mt19937 random(11);
  for (auto& byte : frame.Pixels) byte = static_cast<std::uint8_t>(random());
  return frame;
}

TOverlay SolidOverlay(int width, int height, std::uint8_t level) {
  TOverlay overlay{width, height, std::vector<std::uint8_t>(static_cast<size_t>(width) * height * 4, level)};
  for (size_t i = 3; i < overlay.Bgra.size(); i += 4) overlay.Bgra[i] = 255;
  return overlay;
}

const std::uint8_t* Pixel(const TBitmap& frame, int x, int y) { return frame.Row(y) + x * 3; }

// Where the blend changed a black frame: the bounding box of non-black pixels, or empty.
struct Box {
  int left = 0, top = 0, right = 0, bottom = 0;  // right and bottom exclusive
  bool operator==(const Box&) const = default;
};
void PrintTo(const Box& b, std::ostream* os) { *os << b.left << "," << b.top << " to " << b.right << "," << b.bottom; }

Box ChangedBox(const TBitmap& frame) {
  Box box{INT_MAX, INT_MAX, INT_MIN, INT_MIN};
  for (int y = 0; y < frame.Height; ++y)
    for (int x = 0; x < frame.Width; ++x)
      if (Pixel(frame, x, y)[0] != 0) box = {std::min(box.left, x), std::min(box.top, y), std::max(box.right, x + 1),
                                             std::max(box.bottom, y + 1)};
  return box.left == INT_MAX ? Box{} : box;
}

struct PlacementCase {
  const char* name;
  int x, y;
  Box changed;
};
void PrintTo(const PlacementCase& c, std::ostream* os) { *os << c.name; }

class PlacementTest : public testing::TestWithParam<PlacementCase> {};

// A 4x3 white overlay on a black 10x8 frame.
TEST_P(PlacementTest, CutAtEveryEdge) {
  const PlacementCase& c = GetParam();
  TBitmap frame = Solid(10, 8, 0);
  BlendBitmap(frame, SolidOverlay(4, 3, 255), c.x, c.y, 255);
  EXPECT_EQ(ChangedBox(frame), c.changed);
  for (size_t i = 30; i < frame.Pixels.size(); i += frame.Stride) EXPECT_EQ(frame.Pixels[i], 0) << "row padding";
}

INSTANTIATE_TEST_SUITE_P(Cases, PlacementTest,
                         testing::Values(PlacementCase{"inside", 2, 1, {2, 1, 6, 4}},
                                         PlacementCase{"corner", 0, 0, {0, 0, 4, 3}},
                                         PlacementCase{"past_right", 8, 2, {8, 2, 10, 5}},
                                         PlacementCase{"past_bottom", 3, 6, {3, 6, 7, 8}},
                                         PlacementCase{"past_left_and_top", -3, -2, {0, 0, 1, 1}},
                                         PlacementCase{"at_right_edge", 10, 0, {}},
                                         PlacementCase{"at_bottom_edge", 0, 8, {}},
                                         PlacementCase{"just_left", -4, 0, {}},
                                         PlacementCase{"far_away", INT_MAX, INT_MIN, {}},
                                         PlacementCase{"far_before", INT_MIN, INT_MIN, {}}),
                         [](const auto& info) { return std::string(info.param.name); });

struct MixCase {
  int alpha;
  std::uint8_t frame, overlay, expected;
};

class MixTest : public testing::TestWithParam<MixCase> {};

TEST_P(MixTest, WeighsOutOf256) {
  const MixCase& c = GetParam();
  TBitmap frame = Solid(2, 2, c.frame);
  BlendBitmap(frame, SolidOverlay(2, 2, c.overlay), 0, 0, c.alpha);
  EXPECT_EQ(frame.Pixels[0], c.expected);
  EXPECT_EQ(frame.Pixels[3 * 1 + frame.Stride + 2], c.expected);
}

INSTANTIATE_TEST_SUITE_P(Cases, MixTest,
                         testing::Values(MixCase{255, 0, 255, 254}, MixCase{255, 255, 0, 0}, MixCase{0, 77, 200, 77},
                                         MixCase{128, 0, 200, 100}, MixCase{128, 100, 200, 150},
                                         MixCase{999, 0, 255, 254}, MixCase{-5, 77, 200, 77}));

class WatermarkTest : public testing::Test {
 protected:
  static void SetUpTestSuite() { EnsureGuiApplication(); }
};

TWmRec TextItem(const std::string& text, int left, int top, int width, int height) {
  TWmRec item;
  item.Kind = kWmText;
  item.Text = text;
  item.Font = {"DejaVu Sans", 20, TFontStyle::None, 0xFFFFFF};
  item.TextLeft = left;
  item.TextTop = top;
  item.TextWidth = width;
  item.TextHeight = height;
  item.TextAlpha = 255;
  item.StartSec = 0;
  item.EndSec = 100;
  return item;
}

// A box of one colour: a blank text on its background.
TWmRec Block(int left, int top, int width, int height, TColor color) {
  TWmRec item = TextItem(" ", left, top, width, height);
  item.FillBack = true;
  item.BackColor = color;
  return item;
}

struct SecondCase {
  int startSec, endSec;
  std::int64_t ptsUs;
  bool drawn;
};

class SecondsTest : public WatermarkTest, public testing::WithParamInterface<SecondCase> {};

TEST_P(SecondsTest, DrawnOnlyInItsSeconds) {
  const SecondCase& c = GetParam();
  TlvFilesRecord rec;
  TWmRec item = Block(1, 1, 2, 2, 0xFFFFFF);
  item.StartSec = c.startSec;
  item.EndSec = c.endSec;
  rec.WaterMarks.push_back(item);
  TBitmap frame = Solid(4, 4, 0);
  TFrameEffects(rec).Apply(frame, c.ptsUs);
  EXPECT_EQ(ChangedBox(frame), c.drawn ? (Box{1, 1, 3, 3}) : Box{});
}

INSTANTIATE_TEST_SUITE_P(Cases, SecondsTest,
                         testing::Values(SecondCase{3, 3, 2999999, false}, SecondCase{3, 3, 3000000, true},
                                         SecondCase{3, 3, 3999999, true}, SecondCase{3, 3, 4000000, false},
                                         SecondCase{0, 0, 999999, true}, SecondCase{1, 1, 999999, false},
                                         SecondCase{0, 0, -999999, true}, SecondCase{-1, -1, -1000000, true},
                                         SecondCase{5, 4, 4500000, false}, SecondCase{5, 4, 5500000, false}));

TEST_F(WatermarkTest, TransparentTextChangesOnlyItsGlyphs) {
  const TWmRec item = TextItem("Wm", 5, 4, 40, 30);
  const TOverlay glyphs = RenderTextItem(item);
  ASSERT_EQ(glyphs.Width, 40);
  ASSERT_EQ(glyphs.Height, 30);
  const TBitmap before = Noise(48, 36);
  TBitmap frame = before;
  TlvFilesRecord rec;
  rec.WaterMarks.push_back(item);
  TFrameEffects(rec).Apply(frame, 0);

  int clear = 0, solid = 0;
  for (int y = 0; y < frame.Height; ++y)
    for (int x = 0; x < frame.Width; ++x) {
      const bool inBox = x >= 5 && x < 45 && y >= 4 && y < 34;
      const int coverage = inBox ? glyphs.Row(y - 4)[(x - 5) * 4 + 3] : 0;
      for (int c = 0; c < 3; ++c) {
        const int was = Pixel(before, x, y)[c];
        if (coverage == 0) {
          ASSERT_EQ(Pixel(frame, x, y)[c], was) << x << "," << y;
        } else if (coverage == 255) {
          ASSERT_EQ(Pixel(frame, x, y)[c], (was + 255 * 255) >> 8) << x << "," << y;
        }
      }
      clear += inBox && coverage == 0;
      solid += coverage == 255;
    }
  EXPECT_GT(solid, 20);
  EXPECT_GT(clear, 600);
}

int Covered(const TOverlay& overlay) {
  int covered = 0;
  for (size_t i = 3; i < overlay.Bgra.size(); i += 4) covered += overlay.Bgra[i] > 128;
  return covered;
}

TEST_F(WatermarkTest, FontSizeAndStyleReachTheGlyphs) {
  const TWmRec plain = TextItem("Kestrix", 0, 0, 200, 60);
  TWmRec big = plain, bold = plain, struck = plain;
  big.Font.Size = 30;
  bold.Font.Style = TFontStyle::Bold;
  struck.Font.Style = TFontStyle::StrikeOut;
  const int covered = Covered(RenderTextItem(plain));
  EXPECT_GT(covered, 100);
  EXPECT_GT(Covered(RenderTextItem(big)), covered * 3 / 2);
  EXPECT_GT(Covered(RenderTextItem(bold)), covered * 6 / 5);
  EXPECT_GT(Covered(RenderTextItem(struck)), covered + 50);
}

TEST_F(WatermarkTest, BackgroundFillsTheBoxAndTextIsCutAtIt) {
  TWmRec item = TextItem("A long text cut by its box", 0, 0, 30, 12);
  item.FillBack = true;
  item.BackColor = 0x0000FF;  // blue
  const TOverlay box = RenderTextItem(item);
  ASSERT_EQ(box.Width, 30);
  ASSERT_EQ(box.Height, 12);
  for (size_t i = 3; i < box.Bgra.size(); i += 4) ASSERT_EQ(box.Bgra[i], 255);
  EXPECT_EQ(box.Bgra[(11 * 30 + 29) * 4], 255) << "blue background in the last corner";
}

TEST_F(WatermarkTest, LaterItemsOverEarlierOnesAfterTheColours) {
  TlvFilesRecord rec;
  rec.Brightness = 512;
  rec.WaterMarks = {Block(0, 0, 3, 1, 0xFF0000), Block(1, 0, 3, 1, 0x0000FF)};
  TBitmap frame = Solid(5, 1, 10);
  TFrameEffects(rec).Apply(frame, 0);
  // Blue, green, red of each pixel: red box, then blue over its right part, then the adjusted grey.
  const std::vector<std::uint8_t> expected = {0, 0, 254, 254, 0, 0, 254, 0, 0, 254, 0, 0, 19, 19, 19};
  EXPECT_EQ(std::vector<std::uint8_t>(frame.Pixels.begin(), frame.Pixels.begin() + 15), expected);
}

class PictureTest : public WatermarkTest {
 protected:
  void SetUp() override { dir_ = test::ScratchDir(testing::UnitTest::GetInstance()->current_test_info()->name()); }

  // A red picture file.
  std::string Picture(const char* name, int width, int height) {
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(Qt::red);
    const std::string path = dir_ + "/" + name;
    EXPECT_TRUE(image.save(QString::fromStdString(path)));
    return path;
  }

  static TWmRec PictureItem(const std::string& file, int left, int top, int width, int height) {
    TWmRec item;
    item.Kind = kWmImage;
    item.ImageFile = file;
    item.ImageLeft = left;
    item.ImageTop = top;
    item.ImageWidth = width;
    item.ImageHeight = height;
    item.ImageAlpha = 255;
    item.EndSec = 10;
    return item;
  }

  std::string dir_;
};

struct PictureCase {
  const char* file;
  int storedWidth, storedHeight;
  Box drawn;
};

class PictureFileTest : public PictureTest, public testing::WithParamInterface<PictureCase> {};

// Drawn at the size the dialog showed; read once, so removing the file
// during the run changes nothing.
TEST_P(PictureFileTest, LoadedOnceAndStretchedToTheStoredSize) {
  const PictureCase& c = GetParam();
  const std::string file = Picture(c.file, 4, 2);
  TlvFilesRecord rec;
  rec.WaterMarks.push_back(PictureItem(file, 1, 1, c.storedWidth, c.storedHeight));
  const TFrameEffects effects(rec);
  std::filesystem::remove(file);
  TBitmap frame = Solid(12, 8, 0);
  effects.Apply(frame, 0);
  TBitmap red = frame;  // the red channel (third byte) in the first
  for (size_t i = 0; i < frame.Pixels.size(); i += 3) red.Pixels[i] = red.Pixels[i + 2];
  EXPECT_EQ(ChangedBox(red), c.drawn);
  EXPECT_NEAR(Pixel(frame, c.drawn.right - 1, c.drawn.bottom - 1)[2], 254, 2);  // JPEG is near
}

INSTANTIATE_TEST_SUITE_P(Cases, PictureFileTest,
                         testing::Values(PictureCase{"own.bmp", 4, 2, {1, 1, 5, 3}},
                                         PictureCase{"unsized.png", 0, 0, {1, 1, 5, 3}},
                                         PictureCase{"stretched.bmp", 8, 6, {1, 1, 9, 7}},
                                         PictureCase{"cut.jpg", 40, 4, {1, 1, 12, 5}}));

TEST_F(PictureTest, UnreadablePictureIsLeftOutAndTheRestApplies) {
  TlvFilesRecord rec;
  rec.Exposure = 256;
  rec.WaterMarks = {PictureItem(dir_ + "/missing.bmp", 0, 0, 0, 0), Block(2, 0, 1, 1, 0xFFFFFF)};
  TBitmap frame = Solid(4, 1, 128);
  TFrameEffects(rec).Apply(frame, 0);
  EXPECT_EQ(Pixel(frame, 0, 0)[0], 237);
  EXPECT_EQ(Pixel(frame, 2, 0)[0], (237 + 255 * 255) >> 8);
}

TEST_F(WatermarkTest, TasksFindTheirRowsAndKeepTheirOwnCopies) {
  std::vector<TlvFilesRecord> rows(3);
  rows[0].Brightness = 512;
  rows[2].Exposure = 256;
  TTaskEffects effects;
  effects.Prepare({2, 0}, [&](int row) { return &rows.at(row); });
  rows[2].Exposure = 0;  // edits after the start do not reach the run

  struct HookCase {
    int task;
    std::uint8_t expected;
  };
  for (const HookCase c : {HookCase{0, 237}, HookCase{1, 255}, HookCase{2, 128}, HookCase{-1, 128}}) {
    TBitmap frame = Solid(2, 2, 128);
    THookInfo info;
    info.TaskIndex = c.task;
    info.Bitmap = &frame;
    effects.Apply(info);
    EXPECT_EQ(frame.Pixels[0], c.expected) << "task " << c.task;
    EXPECT_TRUE(info.Update);
    EXPECT_FALSE(info.StopHook);
  }
}

}  // namespace
}  // namespace kx
