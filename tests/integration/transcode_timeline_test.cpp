// How pictures and inputs are laid on the output's time line: frame-rate
// sync by duplicating, a picture size that changes mid-stream, two inputs
// joined into one output.
#include <cstdio>
#include <fstream>

#include "support/av_log_capture.h"
#include "support/make_media.h"
#include "transcode_helpers.h"

namespace kx::test {
namespace {

class TranscodeTimelineTest : public testing::Test {
 protected:
  void SetUp() override { LoadPlugIn(); }
};

struct SyncCase {
  const char* name;
  const char* vsync;
  int frames;      // output frames of 4 s at 30000/1001 frames/s from 25 frames/s
  int duplicated;  // as the progress line reports them
};

void PrintTo(const SyncCase& c, std::ostream* os) { *os << c.name; }

class FrameRateSyncTest : public TranscodeTimelineTest, public testing::WithParamInterface<SyncCase> {};

TEST_P(FrameRateSyncTest, OutputRateIsReachedByDuplicatingOnlyAtConstantRate) {
  const SyncCase& c = GetParam();
  const std::string output = ScratchDir(std::string("sync_") + c.name) + "/out.mp4";
  TitleJob job;
  job.outputOptions = {{"s", "320x240"}, {"vcodec", "libx264"}, {"an", "1"}, {"t", "4"},
                       {"r", "30000/1001"}, {"vsync", c.vsync}};
  int reportedFrames = 0;
  TEngineCallbacks callbacks;
  callbacks.progress = [&](TProgressInfo& info) { reportedFrames = info.FrameNumber; };
  AvLogCapture log;
  ASSERT_TRUE(Convert(job, output, callbacks));
  int duplicated = 0, dropped = 0;
  for (const LogLine& line : log.Lines()) {
    const size_t at = line.text.find(" dup=");
    if (line.text.starts_with("frame=") && at != std::string::npos) {
      ASSERT_EQ(std::sscanf(line.text.c_str() + at, " dup=%d drop=%d", &duplicated, &dropped), 2) << line.text;
    }
  }
  EXPECT_NEAR(duplicated, c.duplicated, 1);
  EXPECT_EQ(dropped, 0);
  EXPECT_NEAR(reportedFrames, c.frames, 1);
  EXPECT_NEAR(static_cast<double>(DecodeFile(output, 60).frames.size()), c.frames, 1);
}

INSTANTIATE_TEST_SUITE_P(Methods, FrameRateSyncTest,
                         testing::Values(SyncCase{"constant_rate", "1", 120, 20},
                                         SyncCase{"variable_rate", "2", 100, 0},
                                         SyncCase{"passthrough", "0", 100, 0}),
                         [](const testing::TestParamInfo<SyncCase>& info) { return std::string(info.param.name); });

class SizeChangeTest : public TranscodeTimelineTest, public testing::WithParamInterface<bool> {};

TEST_P(SizeChangeTest, OutputKeepsItsSizeAndEveryPicture) {
  const bool deinterlace = GetParam();
  const std::string folder = ScratchDir(deinterlace ? "size_change_deinterlaced" : "size_change");
  // Two transport streams one after the other, the second continuing the first's times.
  MakeMedia({"-f", "lavfi", "-i", "testsrc=size=320x240:rate=25:duration=1", "-c:v", "mpeg2video", "-f", "mpegts"},
            folder + "/large.ts");
  MakeMedia({"-f", "lavfi", "-i", "testsrc=size=176x144:rate=25:duration=1", "-c:v", "mpeg2video",
             "-output_ts_offset", "1", "-f", "mpegts"},
            folder + "/small.ts");
  {
    std::ofstream joined(folder + "/both.ts", std::ios::binary);
    joined << std::ifstream(folder + "/large.ts", std::ios::binary).rdbuf()
           << std::ifstream(folder + "/small.ts", std::ios::binary).rdbuf();
  }
  TCustomFFmpeg engine;
  ASSERT_TRUE(engine.OpenInput(folder + "/both.ts")) << engine.LastError();
  engine.SetOption("vcodec", "libx264");
  engine.SetOption("deinterlace", deinterlace ? "1" : "0");
  ASSERT_GT(engine.CreateOutput(folder + "/out.mp4", false), 0) << engine.LastError();
  AvLogCapture log;
  ASSERT_TRUE(RunToEnd(engine));
  EXPECT_TRUE(log.Has(AV_LOG_QUIET, "Input Stream #0.0 frame size changed to 176x144, yuv420p"));
  const ProbedFile probed = Probe(folder + "/out.mp4");
  ASSERT_EQ(probed.video.size(), 1u);
  EXPECT_EQ(probed.video[0].width, 320);
  EXPECT_EQ(probed.video[0].height, 240);
  EXPECT_NEAR(static_cast<double>(DecodeFile(folder + "/out.mp4", 60).frames.size()), 50, 1);
}

// Deinterlacing, the graph that is replaced at the change still holds a picture.
INSTANTIATE_TEST_SUITE_P(Deinterlace, SizeChangeTest, testing::Bool());

TEST_F(TranscodeTimelineTest, JoinedInputsFollowEachOther) {
  const std::string folder = ScratchDir("join");
  TCustomFFmpeg engine;
  int64_t inputsUs = 0;
  for (int title : {1, 2}) {
    DVDPlugIn::SetDVDParam(Param(title, 0, 99, 0x80, 0));
    ASSERT_TRUE(engine.OpenInput("opendvd:" + DiscFolder("three_titles"))) << engine.LastError();
    inputsUs += engine.Inputs().back().ctx->duration;
  }
  for (const auto& [name, value] : OptionList{{"s", "320x240"}, {"vcodec", "libx264"}, {"acodec", "aac"}})
    engine.SetOption(name, value);
  // The joined output is one file, listed once.
  ASSERT_EQ(engine.CreateOutput(folder + "/out.mp4", true), 1) << engine.LastError();
  EXPECT_EQ(engine.CreateOutput(folder + "/second.mp4", false), -1);
  EXPECT_EQ(engine.LastError(), "Cannot join more than one output file.");
  EXPECT_EQ(engine.TotalDurationUs(), inputsUs);
  EXPECT_NEAR(inputsUs / 1e6, 16, 0.2);
  int64_t reportedTotal = 0;
  TEngineCallbacks callbacks;
  callbacks.progress = [&](TProgressInfo& info) { reportedTotal = info.TotalDuration; };
  ASSERT_TRUE(RunToEnd(engine, callbacks));
  EXPECT_EQ(reportedTotal, inputsUs);

  const DecodedMedia media = DecodeFile(folder + "/out.mp4", 60);
  ASSERT_EQ(media.frames.size(), 400u);
  for (size_t i = 1; i < media.frames.size(); ++i)
    ASSERT_GT(media.frames[i].seconds, media.frames[i - 1].seconds) << "frame " << i;
  EXPECT_EQ(media.frames.front().mark, (FrameMark{2, 0}));
  EXPECT_EQ(media.frames[199].mark, (FrameMark{2, 7}));
  EXPECT_EQ(media.frames[200].mark, (FrameMark{3, 0}));
  EXPECT_NEAR(media.frames[200].seconds, 8, 0.05);
  EXPECT_EQ(media.frames.back().mark, (FrameMark{3, 7}));
  ASSERT_GT(media.sampleRate, 0);
  EXPECT_NEAR(media.samples.size() / static_cast<double>(media.sampleRate), 16, 0.1);
}

}  // namespace
}  // namespace kx::test
