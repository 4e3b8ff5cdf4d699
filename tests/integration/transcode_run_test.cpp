// A run's behaviour on test disc titles: trimming by start and recording
// time, stopping, the frame hook and preview pictures.
#include <atomic>
#include <filesystem>
#include <stdexcept>

#include "support/av_log_capture.h"
#include "transcode_helpers.h"

namespace kx::test {
namespace {

class TranscodeRunTest : public testing::Test {
 protected:
  void SetUp() override { LoadPlugIn(); }
};

const OptionList kSmallMp4 = {{"s", "320x240"}, {"vcodec", "libx264"}, {"acodec", "aac"}};

OptionList With(OptionList list, const OptionList& more) {
  list.insert(list.end(), more.begin(), more.end());
  return list;
}

struct TrimCase {
  const char* name;
  int firstChapter;
  OptionList inputOptions, outputOptions;
  int firstSecond, lastSecond;
};

void PrintTo(const TrimCase& c, std::ostream* os) { *os << c.name; }

class TrimTest : public TranscodeRunTest, public testing::WithParamInterface<TrimCase> {};

TEST_P(TrimTest, KeepsExactlyTheSecondsOfTheWindow) {
  const TrimCase& c = GetParam();
  const std::string output = ScratchDir(std::string("trim_") + c.name) + "/out.mp4";
  TitleJob job;
  job.param = Param(0, c.firstChapter, 99, 0x80, 0);
  job.inputOptions = c.inputOptions;
  job.outputOptions = With(kSmallMp4, c.outputOptions);
  ASSERT_TRUE(Convert(job, output));
  const DecodedMedia media = DecodeFile(output, 60);
  ASSERT_FALSE(media.frames.empty());
  EXPECT_EQ(media.frames.front().mark, (FrameMark{1, c.firstSecond}));
  EXPECT_EQ(media.frames.back().mark, (FrameMark{1, c.lastSecond}));
  const int seconds = c.lastSecond - c.firstSecond + 1;
  EXPECT_EQ(media.frames.size(), static_cast<size_t>(seconds * 25));
  ASSERT_GT(media.sampleRate, 0);
  EXPECT_NEAR(media.samples.size() / static_cast<double>(media.sampleRate), seconds, 0.03);
  const ProbedFile probed = Probe(output);
  ASSERT_EQ(probed.audio.size(), 1u);
  ASSERT_EQ(probed.video.size(), 1u);
  EXPECT_NEAR(probed.audio[0].startSeconds, probed.video[0].startSeconds, 0.04);
}

INSTANTIATE_TEST_SUITE_P(
    Windows, TrimTest,
    testing::Values(TrimCase{"output_start", 0, {}, {{"ss", "10"}, {"t", "5"}}, 10, 14},
                    TrimCase{"input_seek", 0, {{"ss", "10"}}, {{"t", "5"}}, 10, 14},
                    // Chapter 2 begins at second 5: times count from there.
                    TrimCase{"from_chapter_two", 2, {}, {{"ss", "3"}, {"t", "5"}}, 8, 12},
                    TrimCase{"recording_time_only", 0, {}, {{"t", "2"}}, 0, 1}),
    [](const testing::TestParamInfo<TrimCase>& info) { return std::string(info.param.name); });

TEST_F(TranscodeRunTest, StopWritesAPlayableFileAndAnswersFalse) {
  const std::string output = ScratchDir("stop") + "/out.mp4";
  TCustomFFmpeg engine;
  TitleJob job;
  job.outputOptions = kSmallMp4;
  SetUpJob(engine, job, output);
  engine.SetProgressIntervalUs(1);
  TRunControl control;
  TEngineCallbacks callbacks;
  int64_t lastTotal = 0;
  callbacks.progress = [&](TProgressInfo& info) {
    lastTotal = info.TotalDuration;
    if (info.CurrentDuration > 2000000) control.RequestStop();
  };
  EXPECT_FALSE(engine.Transcode(control, callbacks));
  engine.Release();
  EXPECT_NEAR(lastTotal / 1e6, 20, 0.5);
  const DecodedMedia media = DecodeFile(output, 60);
  ASSERT_FALSE(media.frames.empty());
  EXPECT_EQ(media.frames.front().mark, (FrameMark{1, 0}));
  EXPECT_LT(media.frames.size(), 10u * 25);
  EXPECT_GT(media.frames.size(), 2u * 25);
}

TEST_F(TranscodeRunTest, FinalProgressReportTellsTheWholeOutput) {
  const std::string output = ScratchDir("progress") + "/out.mp4";
  TitleJob job;
  job.outputOptions = With(kSmallMp4, {{"t", "4"}});
  std::vector<TProgressInfo> reports;
  TEngineCallbacks callbacks;
  callbacks.progress = [&](TProgressInfo& info) { reports.push_back(info); };
  ASSERT_TRUE(Convert(job, output, callbacks));
  ASSERT_FALSE(reports.empty());
  const TProgressInfo& last = reports.back();
  EXPECT_EQ(last.FileIndex, -1);
  EXPECT_EQ(last.FrameNumber, 100);
  EXPECT_EQ(last.TotalDuration, 4000000);
  EXPECT_NEAR(last.CurrentDuration / 1e6, 4, 0.1);
  EXPECT_EQ(last.CurrentSize, static_cast<int64_t>(std::filesystem::file_size(output)));
  EXPECT_GT(last.BitRate, 0);
}

enum class HookAction { PaintWhite, PaintWithoutUpdate, Throw, StopAtOnce };

struct HookCase {
  const char* name;
  HookAction action;
  bool changesPicture;
  bool calledForEveryFrame;
};

void PrintTo(const HookCase& c, std::ostream* os) { *os << c.name; }

class HookTest : public TranscodeRunTest, public testing::WithParamInterface<HookCase> {};

TEST_P(HookTest, HookSeesEveryDecodedPictureUntilItStops) {
  const HookCase& c = GetParam();
  const std::string output = ScratchDir(std::string("hook_") + c.name) + "/out.mp4";
  TCustomFFmpeg engine;
  TitleJob job;
  job.outputOptions = With(kSmallMp4, {{"t", "2"}});
  SetUpJob(engine, job, output);
  engine.SetCustomHookEnabled(true);
  int calls = 0;
  int lastFrameNumber = 0;
  TEngineCallbacks callbacks;
  callbacks.customHook = [&](THookInfo& info) {
    ++calls;
    lastFrameNumber = info.FrameNumber;
    EXPECT_EQ(info.Bitmap->Width, 720);
    EXPECT_EQ(info.Bitmap->Height, 576);
    switch (c.action) {
      case HookAction::PaintWhite: std::fill(info.Bitmap->Pixels.begin(), info.Bitmap->Pixels.end(), 255); break;
      case HookAction::PaintWithoutUpdate:
        std::fill(info.Bitmap->Pixels.begin(), info.Bitmap->Pixels.end(), 255);
        info.Update = false;
        break;
      case HookAction::Throw: throw std::runtime_error("hook broke");
      case HookAction::StopAtOnce: info.StopHook = true; break;
    }
  };
  AvLogCapture log;
  TRunControl control;
  EXPECT_TRUE(engine.Transcode(control, callbacks));
  engine.Release();
  EXPECT_EQ(calls, c.calledForEveryFrame ? 50 : 1);
  EXPECT_EQ(lastFrameNumber, c.calledForEveryFrame ? 50 : 1);
  if (c.action == HookAction::Throw) {
    EXPECT_TRUE(log.Has(AV_LOG_ERROR, "Error occurs OnCustomHook: hook broke"));
  }
  const DecodedMedia media = DecodeFile(output, 60);
  ASSERT_EQ(media.frames.size(), 50u);
  for (const DecodedFrame& frame : media.frames)
    EXPECT_EQ(frame.mark.second == -1, c.changesPicture) << "at " << frame.seconds << " s";
}

INSTANTIATE_TEST_SUITE_P(Hooks, HookTest,
                         testing::Values(HookCase{"paint_white", HookAction::PaintWhite, true, true},
                                         HookCase{"no_update", HookAction::PaintWithoutUpdate, false, true},
                                         HookCase{"throws", HookAction::Throw, false, true},
                                         HookCase{"stop_hook", HookAction::StopAtOnce, false, false}),
                         [](const testing::TestParamInfo<HookCase>& info) { return std::string(info.param.name); });

TEST_F(TranscodeRunTest, PreviewShowsTheEncodedPictureAndAClosedWindowEndsIt) {
  const std::string output = ScratchDir("preview") + "/out.mp4";
  TCustomFFmpeg engine;
  TitleJob job;
  job.outputOptions = With(kSmallMp4, {{"t", "2"}});
  SetUpJob(engine, job, output);
  engine.SetPreviewFlags(kPreviewWindowFlag);
  int windowCalls = 0;
  TEngineCallbacks callbacks;
  callbacks.previewWindow = [&](const TBitmap& picture, int64_t, int frameNumber) {
    ++windowCalls;
    EXPECT_EQ(picture.Width, 320);
    EXPECT_EQ(picture.Height, 240);
    EXPECT_GE(frameNumber, 1);
    return false;  // the user closed the window
  };
  TRunControl control;
  EXPECT_TRUE(engine.Transcode(control, callbacks));
  engine.Release();
  EXPECT_EQ(windowCalls, 1);
  EXPECT_EQ(engine.PreviewFlags(), 0);
}

TEST_F(TranscodeRunTest, CopiedVideoRefusesPreviewsAndHooks) {
  for (const bool hook : {false, true}) {
    SCOPED_TRACE(hook ? "hook" : "preview");
    const std::string output = ScratchDir("copy_refused") + "/out.mpg";
    TCustomFFmpeg engine;
    TitleJob job;
    job.outputOptions = {{"vcodec", "copy"}, {"acodec", "mp2"}};
    SetUpJob(engine, job, output);
    if (hook)
      engine.SetCustomHookEnabled(true);
    else
      engine.SetPreviewFlags(kPreviewBitmapFlag);
    TRunControl control;
    try {
      engine.Transcode(control, {});
      ADD_FAILURE() << "no exception";
    } catch (const FFmpegException& error) {
      EXPECT_STREQ(error.what(), hook ? "-vcodec copy and CustomHook are incompatible (frames are not decoded)"
                                      : "-vcodec copy and PostHooks are incompatible (frames are not decoded)");
    }
    engine.Release();
    EXPECT_FALSE(std::filesystem::exists(output));
  }
}

TEST_F(TranscodeRunTest, CopiedStreamsKeepTheTitle) {
  const std::string output = ScratchDir("copy") + "/out.mpg";
  TitleJob job;
  job.outputOptions = {{"f", "dvd"}, {"vcodec", "copy"}, {"acodec", "copy"}, {"t", "4"}};
  ASSERT_TRUE(Convert(job, output));
  const ProbedFile probed = Probe(output);
  ASSERT_EQ(probed.video.size(), 1u);
  EXPECT_EQ(probed.video[0].codec, "mpeg2video");
  ASSERT_EQ(probed.audio.size(), 1u);
  EXPECT_EQ(probed.audio[0].codec, "ac3");
  const DecodedMedia media = DecodeFile(output, 60);
  ASSERT_FALSE(media.frames.empty());
  EXPECT_EQ(media.frames.front().mark, (FrameMark{1, 0}));
  // Copied packets are cut at their decoding time: the last pictures may run a little past the end.
  EXPECT_GE(media.frames.back().mark.second, 3);
  EXPECT_LE(media.frames.back().mark.second, 4);
  EXPECT_EQ(ToneOf(media), 440);
}

}  // namespace
}  // namespace kx::test
