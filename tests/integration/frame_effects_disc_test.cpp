// The frame effects as the encoder's hook on a test disc title: two tasks
// of the same title, the first with brightness and a text watermark in
// seconds 1 … 2, the second untouched as the reference. The encoder runs
// on a worker thread; the test thread drains the main-thread calls.
#include <chrono>

#include "dvd_title_probe.h"
#include "edit/frame_effects.h"
#include "engine/ff_encoder.h"
#include "engine/main_thread_queue.h"
#include "support/decoded_media.h"
#include "support/gui_app.h"
#include "support/picture_reads.h"

namespace kx::test {
namespace {

using namespace std::chrono_literals;

constexpr int kBoxLeft = 40, kBoxTop = 40, kBoxWidth = 240, kBoxHeight = 64;

TlvFilesRecord Adjusted() {
  TlvFilesRecord rec;
  rec.Brightness = 384;  // levels times 1.5
  TWmRec text;
  text.Kind = kWmText;
  text.Text = "KX";
  text.Font = {"DejaVu Sans", 30, TFontStyle::Bold, 0x000000};
  text.FillBack = true;
  text.BackColor = 0xFFFFFF;
  text.TextLeft = kBoxLeft;
  text.TextTop = kBoxTop;
  text.TextWidth = kBoxWidth;
  text.TextHeight = kBoxHeight;
  text.TextAlpha = 255;
  text.StartSec = 1;
  text.EndSec = 2;
  rec.WaterMarks.push_back(text);
  return rec;
}

struct FrameReads {
  RgbMean background;  // the box's right part, which the text does not reach
  RgbMean glyphs;      // the box's left part, where "KX" is
  RgbMean centre;      // far from the box
};

std::vector<FrameReads> Convert(const std::string& path, DecodedMedia& media) {
  std::vector<FrameReads> reads;
  media = DecodeFile(path, 10, kFirstAudioStream, [&](const AVFrame& picture) {
    reads.push_back({MeanRgb(picture, kBoxLeft + 160, kBoxTop + 8, 60, 48),
                     MeanRgb(picture, kBoxLeft + 4, kBoxTop + 10, 56, 40), MeanRgb(picture, 400, 300, 64, 64)});
  });
  return reads;
}

TEST(FrameEffectsDiscTest, BrightnessOnEveryFrameTextOnlyInItsSeconds) {
  EnsureGuiApplication();
  LoadPlugIn();
  TFFEncoder encoder;
  ASSERT_TRUE(encoder.LoadAVLib(BuildDir() + "/LibAV")) << encoder.LastErrMsg();
  const std::string dir = ScratchDir("frame_effects_disc");
  std::vector<TlvFilesRecord> rows = {Adjusted(), TlvFilesRecord{}};
  std::vector<int> taskRows;
  for (int row = 0; row < 2; ++row) {
    DVDPlugIn::SetDVDParam(Param(1, 0, 99, 0x80, 0));
    const int task = encoder.AddTask("opendvd:" + DiscFolder("three_titles"));
    ASSERT_EQ(task, row) << encoder.LastErrMsg();
    TOutputOptions options;
    options.VideoCodec = "mpeg4";
    options.VideoBitrate = 6000000;
    options.AudioCodec = "aac";
    options.RecordingTime = 4500000;
    options.CustomHook = NeedsFrameHook(rows[row]);
    ASSERT_TRUE(encoder.SetOutputFile(task, dir + "/task" + std::to_string(task) + ".mp4", &options))
        << encoder.LastErrMsg();
    taskRows.push_back(row);
  }
  TTaskEffects effects;
  effects.Prepare(taskRows, [&](int row) { return &rows.at(row); });
  encoder.SetOnCustomHook([&](TFFEncoder*, PHookInfo info) { effects.Apply(*info); });
  std::atomic<bool> ended{false};
  encoder.SetOnTerminate([&](TFFEncoder*, const TTerminateInfo& info) {
    if (info.TaskIndex == -1) ended = true;
    else EXPECT_TRUE(info.Finished) << info.ExceptionMsg;
  });
  encoder.StartTask(1);
  const auto deadline = std::chrono::steady_clock::now() + 120s;
  MainThreadQueue::Instance().WaitDraining([&] { return ended || std::chrono::steady_clock::now() > deadline; });
  ASSERT_TRUE(ended);

  DecodedMedia hooked, reference;
  const std::vector<FrameReads> hookedReads = Convert(dir + "/task0.mp4", hooked);
  const std::vector<FrameReads> referenceReads = Convert(dir + "/task1.mp4", reference);
  ASSERT_EQ(hooked.frames.size(), reference.frames.size());
  ASSERT_GE(hooked.frames.size(), 100u);
  int marked = 0;
  for (size_t i = 0; i < hooked.frames.size(); ++i) {
    const int second = reference.frames[i].mark.second;
    SCOPED_TRACE("frame " + std::to_string(i) + " of second " + std::to_string(second));
    ASSERT_GE(second, 0);
    const FrameReads& got = hookedReads[i];
    const FrameReads& was = referenceReads[i];
    EXPECT_NEAR(got.centre.r, was.centre.r * 1.5, 5);
    EXPECT_NEAR(got.centre.g, was.centre.g * 1.5, 5);
    EXPECT_NEAR(got.centre.b, was.centre.b * 1.5, 5);
    if (second == 1 || second == 2) {
      ++marked;
      EXPECT_GT(got.background.r, 240);
      EXPECT_GT(got.background.g, 240);
      EXPECT_GT(got.background.b, 240);
      EXPECT_LT(got.glyphs.g, got.background.g - 60) << "dark glyphs on the white box";
    } else {
      EXPECT_NEAR(got.background.g, was.background.g * 1.5, 5);
      EXPECT_NEAR(got.glyphs.g, was.glyphs.g * 1.5, 5);
    }
  }
  EXPECT_EQ(marked, 50);  // two seconds at 25 frames each
}

}  // namespace
}  // namespace kx::test
