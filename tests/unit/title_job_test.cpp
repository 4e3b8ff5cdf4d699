#include "app/title_job.h"

#include <gtest/gtest.h>

#include <vector>

namespace kx {
namespace {

TDVDTitleInfo Title(const std::vector<int>& audioIds, const std::vector<int>& subtitleIds, int chapters) {
  TDVDTitleInfo info{};
  info.Width = 720;
  info.Height = 576;
  info.AudioCount = static_cast<int>(audioIds.size());
  for (size_t i = 0; i < audioIds.size(); ++i) info.Audio[i].StreamId = audioIds[i];
  info.SubtitleCount = static_cast<int>(subtitleIds.size());
  for (size_t i = 0; i < subtitleIds.size(); ++i) info.Subtitles[i].StreamId = subtitleIds[i];
  info.ChapterCount = chapters;
  return info;
}

struct NewCase {
  const char* name;
  std::vector<int> audioIds;
  std::vector<int> subtitleIds;
  int chapters;
  int audioStreamId;
  int subtitleStreamId;
};

class NewTitleJobTest : public ::testing::TestWithParam<NewCase> {};

TEST_P(NewTitleJobTest, StartsWithFirstStreamsAllChaptersAndNoEdits) {
  const NewCase& c = GetParam();
  const TlvFilesRecord rec = NewTitleJob(4, Title(c.audioIds, c.subtitleIds, c.chapters));
  EXPECT_EQ(rec.TitleIndex, 4);
  EXPECT_EQ(rec.TitleInfo.Width, 720);
  EXPECT_EQ(rec.AudioStreamId, c.audioStreamId);
  EXPECT_EQ(rec.SubtitleStreamId, c.subtitleStreamId);
  EXPECT_EQ(rec.AudioIndex, 0);
  EXPECT_EQ(rec.SubtitleIndex, 0);
  EXPECT_EQ(rec.ChapterFrom, 1);
  EXPECT_EQ(rec.ChapterTo, c.chapters);
  EXPECT_EQ(rec.TrimStart, 0);
  EXPECT_EQ(rec.TrimLength, 0);
  EXPECT_EQ(rec.Zoom, "");
  EXPECT_EQ(rec.SourceName, "");
  EXPECT_EQ(rec.CropTop + rec.CropLeft + rec.CropBottom + rec.CropRight, 0);
  EXPECT_EQ(rec.ViewCropTop + rec.ViewCropLeft + rec.ViewCropBottom + rec.ViewCropRight, 0);
  EXPECT_TRUE(rec.WaterMarks.empty());
  EXPECT_EQ(rec.Brightness, 255);
  EXPECT_EQ(rec.Contrast, 0);
  EXPECT_EQ(rec.Saturation, 255);
  EXPECT_EQ(rec.Exposure, 0);
  EXPECT_FALSE(rec.ProcessText);
  EXPECT_FALSE(rec.ProcessImage);
  EXPECT_FALSE(NeedsFrameHook(rec));
}

INSTANTIATE_TEST_SUITE_P(
    Titles, NewTitleJobTest,
    ::testing::Values(NewCase{"twoAudioOneSubtitle", {0x80, 0xC0}, {0x20}, 4, 0x80, 0x20},
                      // The second track may come first in stream-id order.
                      NewCase{"mpegAudioFirst", {0xC1, 0x80}, {0x21, 0x20}, 12, 0xC1, 0x21},
                      NewCase{"noAudio", {}, {0x20}, 1, 0, 0x20},
                      NewCase{"noSubtitles", {0x80}, {}, 3, 0x80, 0}),
    [](const auto& info) { return info.param.name; });

// A list choice on a record whose stream choice was already changed once, so
// that a refused choice shows as "nothing changed".
enum class List { Audio, Subtitle };
struct ChoiceCase {
  const char* name;
  std::vector<int> audioIds;
  std::vector<int> subtitleIds;
  List list;
  int position;
  int index;     // expected AudioIndex / SubtitleIndex
  int streamId;  // expected AudioStreamId / SubtitleStreamId
};

class StreamChoiceTest : public ::testing::TestWithParam<ChoiceCase> {};

TEST_P(StreamChoiceTest, IndexAndStreamIdFollowTheChosenEntry) {
  const ChoiceCase& c = GetParam();
  TlvFilesRecord rec = NewTitleJob(0, Title(c.audioIds, c.subtitleIds, 5));
  rec.AudioIndex = rec.SubtitleIndex = 0;
  rec.AudioStreamId = rec.SubtitleStreamId = 99;
  if (c.list == List::Audio) {
    ChooseAudio(rec, c.position);
    EXPECT_EQ(rec.AudioIndex, c.index);
    EXPECT_EQ(rec.AudioStreamId, c.streamId);
    EXPECT_EQ(rec.SubtitleStreamId, 99);
  } else {
    ChooseSubtitle(rec, c.position);
    EXPECT_EQ(rec.SubtitleIndex, c.index);
    EXPECT_EQ(rec.SubtitleStreamId, c.streamId);
    EXPECT_EQ(rec.AudioStreamId, 99);
  }
}

INSTANTIATE_TEST_SUITE_P(
    Choices, StreamChoiceTest,
    ::testing::Values(ChoiceCase{"secondAudio", {0x80, 0xC0}, {}, List::Audio, 1, 1, 0xC0},
                      ChoiceCase{"audioPastEnd", {0x80, 0xC0}, {}, List::Audio, 2, 0, 99},
                      ChoiceCase{"audioNegative", {0x80}, {}, List::Audio, -1, 0, 99},
                      ChoiceCase{"audioOfSilentTitle", {}, {}, List::Audio, 0, 0, 99},
                      ChoiceCase{"thirdSubtitle", {}, {0x20, 0x21, 0x22}, List::Subtitle, 2, 2, 0x22},
                      // "Default" follows the last entry and selects no stream.
                      ChoiceCase{"defaultOfThree", {}, {0x20, 0x21, 0x22}, List::Subtitle, 3, 3, 0},
                      ChoiceCase{"pastDefault", {}, {0x20}, List::Subtitle, 2, 0, 99},
                      ChoiceCase{"defaultWithoutSubtitles", {}, {}, List::Subtitle, 0, 0, 99}),
    [](const auto& info) { return info.param.name; });

struct HookCase {
  const char* name;
  int brightness, contrast, saturation, exposure;
  std::vector<TWmRec> waterMarks;
  bool needed;
};

TWmRec TextItem(const char* text) {
  TWmRec item;
  item.Kind = kWmText;
  item.Text = text;
  return item;
}

TWmRec PictureItem(const char* file) {
  TWmRec item;
  item.Kind = kWmImage;
  item.ImageFile = file;
  return item;
}

class FrameHookTest : public ::testing::TestWithParam<HookCase> {};

TEST_P(FrameHookTest, NeededForAdjustmentsOrAnItemWithContent) {
  const HookCase& c = GetParam();
  TlvFilesRecord rec = NewTitleJob(0, Title({0x80}, {}, 1));
  rec.Brightness = c.brightness;
  rec.Contrast = c.contrast;
  rec.Saturation = c.saturation;
  rec.Exposure = c.exposure;
  rec.WaterMarks = c.waterMarks;
  EXPECT_EQ(NeedsFrameHook(rec), c.needed);
}

INSTANTIATE_TEST_SUITE_P(
    Records, FrameHookTest,
    ::testing::Values(HookCase{"neutral", 255, 0, 255, 0, {}, false},
                      HookCase{"exposure", 255, 0, 255, 1, {}, true},
                      HookCase{"brightness", 254, 0, 255, 0, {}, true},
                      HookCase{"contrast", 255, -1, 255, 0, {}, true},
                      HookCase{"saturation", 255, 0, 512, 0, {}, true},
                      HookCase{"text", 255, 0, 255, 0, {TextItem("(c) me")}, true},
                      HookCase{"picture", 255, 0, 255, 0, {PictureItem("/tmp/logo.bmp")}, true},
                      // An empty first item does not hide a real second one.
                      HookCase{"emptyTextFirst", 255, 0, 255, 0, {TextItem(""), PictureItem("/tmp/logo.bmp")}, true},
                      HookCase{"onlyEmptyItems", 255, 0, 255, 0, {TextItem(""), PictureItem("")}, false}),
    [](const auto& info) { return info.param.name; });

}  // namespace
}  // namespace kx
