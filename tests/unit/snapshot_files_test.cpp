// Snapshot pictures as files: BMP and JPEG read back with FFmpeg, and which
// files a press writes for the settings, where, and what a failure leaves.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <stdexcept>

#include "app/folder_settings.h"
#include "app/settings_store.h"
#include "preview/bmp_file.h"
#include "preview/jpeg_file.h"
#include "preview/snapshot.h"
#include "support/picture_file.h"
#include "support/scripted_messages.h"
#include "support/test_env.h"

namespace kx {
namespace {

namespace fs = std::filesystem;

struct Rgb {
  int r, g, b;
};

// Four quadrants of distinct colours, so a flipped or shifted picture shows.
constexpr Rgb kQuadrants[4] = {{200, 30, 30}, {30, 200, 30}, {30, 30, 200}, {220, 220, 40}};

TBitmap Quadrants(int width, int height, int shift = 0) {
  TBitmap picture;
  picture.Resize(width, height);
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) {
      const Rgb& c = kQuadrants[((y >= height / 2) * 2 + (x >= width / 2) + shift) % 4];
      std::uint8_t* p = picture.Row(y) + x * 3;
      p[0] = static_cast<std::uint8_t>(c.b);
      p[1] = static_cast<std::uint8_t>(c.g);
      p[2] = static_cast<std::uint8_t>(c.r);
    }
  return picture;
}

void ExpectQuadrants(const test::RgbPicture& read, int width, int height, int tolerance, int shift = 0) {
  ASSERT_EQ(read.width, width);
  ASSERT_EQ(read.height, height);
  for (int quadrant = 0; quadrant < 4; ++quadrant) {
    const int x = quadrant % 2 ? width * 3 / 4 : width / 4;
    const int y = quadrant / 2 ? height * 3 / 4 : height / 4;
    const Rgb& c = kQuadrants[(quadrant + shift) % 4];
    const std::uint8_t* p = read.Pixel(x, y);
    EXPECT_NEAR(p[0], c.r, tolerance) << "quadrant " << quadrant;
    EXPECT_NEAR(p[1], c.g, tolerance) << "quadrant " << quadrant;
    EXPECT_NEAR(p[2], c.b, tolerance) << "quadrant " << quadrant;
  }
}

void WriteBytes(const std::string& path, const std::vector<std::uint8_t>& bytes) {
  std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()),
                                              static_cast<std::streamsize>(bytes.size()));
}

struct WriterCase {
  const char* name;
  int width, height;
  bool jpeg;
  int tolerance;
};

class PictureWriterTest : public ::testing::TestWithParam<WriterCase> {};

// Odd widths need row padding in BMP and partial blocks in JPEG.
TEST_P(PictureWriterTest, ReadsBackAtItsSizeWithItsColours) {
  const WriterCase& c = GetParam();
  const std::string path = test::ScratchDir(std::string("writer_") + c.name) + (c.jpeg ? "/p.jpg" : "/p.bmp");
  const TBitmap picture = Quadrants(c.width, c.height);
  WriteBytes(path, c.jpeg ? EncodeJpeg(picture, 90) : EncodeBmp(picture));
  ExpectQuadrants(test::ReadPictureFile(path), c.width, c.height, c.tolerance);
}

INSTANTIATE_TEST_SUITE_P(Files, PictureWriterTest,
                         ::testing::Values(WriterCase{"bmp_full", 720, 576, false, 0},
                                           WriterCase{"bmp_odd", 37, 21, false, 0},
                                           WriterCase{"jpeg_full", 720, 576, true, 12},
                                           WriterCase{"jpeg_odd", 37, 21, true, 12}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(JpegQualityTest, HigherQualityGivesALargerFileAndOutOfRangeIsLimited) {
  const TBitmap picture = StretchedBitmap(Quadrants(64, 64), 300, 200);  // smooth edges to compress
  const auto low = EncodeJpeg(picture, 5).size();
  const auto high = EncodeJpeg(picture, 95).size();
  EXPECT_LT(low, high);
  EXPECT_EQ(EncodeJpeg(picture, -7).size(), EncodeJpeg(picture, 1).size());
  EXPECT_EQ(EncodeJpeg(picture, 400).size(), EncodeJpeg(picture, 100).size());
}

TEST(StretchedBitmapTest, FillsTheSizeWithoutKeepingProportions) {
  ExpectQuadrants(test::ReadPictureFile([] {
                    const std::string path = test::ScratchDir("stretched") + "/s.bmp";
                    WriteBytes(path, EncodeBmp(StretchedBitmap(Quadrants(720, 576), 370, 240)));
                    return path;
                  }()),
                  370, 240, 0);
}

class SaveSnapshotTest : public ::testing::Test {
 protected:
  void SetUp() override {
    root_ = test::ScratchDir(::testing::UnitTest::GetInstance()->current_test_info()->name());
    setenv("HOME", root_.c_str(), 1);
    ini_ = root_ + "/settings.ini";
    folder_ = root_ + "/shots/deeper";
    WriteString(ini_, kSettingsSection, kSnapOutPutDirKey, folder_);
  }
  void Set(const char* key, int value) { WriteInteger(ini_, kSettingsSection, key, value); }
  bool Has(const std::string& folder, const char* name) const { return fs::exists(fs::path(folder) / name); }
  std::string Save(int shift = 0) { return SaveSnapshot(ini_, Quadrants(720, 576, shift), Quadrants(370, 240, shift), messages_); }

  std::string root_, ini_, folder_;
  test::ScriptedMessages messages_;
};

struct ChoiceCase {
  const char* name;
  int full, small, bmp, jpg;
  bool fullBmp, smallBmp, fullJpg, smallJpg;
};

class SnapshotChoiceTest : public SaveSnapshotTest, public ::testing::WithParamInterface<ChoiceCase> {};

TEST_P(SnapshotChoiceTest, WritesTheFilesTheSettingsChoose) {
  const ChoiceCase& c = GetParam();
  Set("snapFullSize", c.full);
  Set("snapSmallSize", c.small);
  Set("snapBmp", c.bmp);
  Set("snapJpg", c.jpg);
  EXPECT_EQ(Save(), folder_);
  EXPECT_TRUE(fs::is_directory(folder_));
  EXPECT_EQ(Has(folder_, "Snapshot_full.bmp"), c.fullBmp);
  EXPECT_EQ(Has(folder_, "Snapshot_small.bmp"), c.smallBmp);
  EXPECT_EQ(Has(folder_, "Snapshot_full.jpg"), c.fullJpg);
  EXPECT_EQ(Has(folder_, "Snapshot_small.jpg"), c.smallJpg);
  if (c.smallJpg) ExpectQuadrants(test::ReadPictureFile(folder_ + "/Snapshot_small.jpg"), 370, 240, 12);
  if (c.fullBmp) ExpectQuadrants(test::ReadPictureFile(folder_ + "/Snapshot_full.bmp"), 720, 576, 0);
  EXPECT_TRUE(messages_.shown.empty());
}

// Only a stored 1 turns a choice on.
INSTANTIATE_TEST_SUITE_P(Choices, SnapshotChoiceTest,
                         ::testing::Values(ChoiceCase{"all", 1, 1, 1, 1, true, true, true, true},
                                           ChoiceCase{"full_size_two", 2, 1, 1, 1, false, true, false, true},
                                           ChoiceCase{"no_format", 1, 1, 0, 0, false, false, false, false},
                                           ChoiceCase{"full_bmp_only", 1, 0, 1, 0, true, false, false, false}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(SaveSnapshotTest, TheSecondPressReplacesTheFirst) {
  Save(0);
  Save(1);
  EXPECT_EQ(std::distance(fs::directory_iterator(folder_), fs::directory_iterator()), 4);
  ExpectQuadrants(test::ReadPictureFile(folder_ + "/Snapshot_full.bmp"), 720, 576, 0, 1);
  ExpectQuadrants(test::ReadPictureFile(folder_ + "/Snapshot_small.jpg"), 370, 240, 12, 1);
}

TEST_F(SaveSnapshotTest, AFolderThatCannotBeCreatedFallsBackToTheDefaultWithAWarning) {
  std::ofstream(root_ + "/plain_file") << "x";
  const std::string blocked = root_ + "/plain_file/shots";
  WriteString(ini_, kSettingsSection, kSnapOutPutDirKey, blocked);
  EXPECT_EQ(Save(), DefaultFolder());
  ASSERT_EQ(messages_.shown.size(), 1u);
  EXPECT_EQ(messages_.shown[0].caption, "Warning");
  EXPECT_EQ(messages_.shown[0].text, "Cannot create output directory:" + blocked +
                                         ".It will create default directory " + DefaultFolder() + "!");
  EXPECT_EQ(ReadString(ini_, kSettingsSection, kSnapOutPutDirKey, ""), DefaultFolder());
  EXPECT_TRUE(Has(DefaultFolder(), "Snapshot_small.jpg"));
}

TEST_F(SaveSnapshotTest, AFileThatCannotBeWrittenStopsThePressWithItsName) {
  fs::create_directories(folder_ + "/Snapshot_small.bmp");  // a folder where the file should go
  try {
    Save();
    ADD_FAILURE() << "no error";
  } catch (const std::runtime_error& error) {
    EXPECT_NE(std::string(error.what()).find("Snapshot_small.bmp"), std::string::npos) << error.what();
  }
  EXPECT_TRUE(Has(folder_, "Snapshot_full.bmp"));
  EXPECT_FALSE(Has(folder_, "Snapshot_full.jpg"));
  EXPECT_FALSE(Has(folder_, "Snapshot_small.jpg"));
}

}  // namespace
}  // namespace kx
