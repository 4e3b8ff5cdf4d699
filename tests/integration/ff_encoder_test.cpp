// The encoder component on test disc titles: building the task list, runs
// inline and on worker threads, stop, pause, failing tasks, previews and
// extra streams. The test thread is the main thread; it waits the way a GUI
// does, running the workers' main-thread calls meanwhile.
#include <algorithm>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <mutex>
#include <stdexcept>
#include <thread>

#include "dvd_title_probe.h"
#include "engine/ff_encoder.h"
#include "engine/main_thread_queue.h"
#include "engine/preview_surface.h"
#include "support/decoded_media.h"
#include "transcode_helpers.h"

namespace kx::test {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

// What OnTerminate delivered, from whichever thread.
class Ends {
 public:
  void Add(const TTerminateInfo& info) {
    std::lock_guard lock(mutex_);
    ends_.push_back(info);
    threads_.push_back(std::this_thread::get_id());
  }
  std::vector<TTerminateInfo> List() const {
    std::lock_guard lock(mutex_);
    return ends_;
  }
  std::vector<int> Indexes() const {
    std::vector<int> indexes;
    for (const TTerminateInfo& end : List()) indexes.push_back(end.TaskIndex);
    return indexes;
  }
  std::vector<std::thread::id> Threads() const {
    std::lock_guard lock(mutex_);
    return threads_;
  }
  int RunEnds() const {
    const std::vector<int> indexes = Indexes();
    return static_cast<int>(std::count(indexes.begin(), indexes.end(), -1));
  }

 private:
  mutable std::mutex mutex_;
  std::vector<TTerminateInfo> ends_;
  std::vector<std::thread::id> threads_;
};

TOutputOptions SmallOutput() {
  TOutputOptions options;
  options.VideoCodec = "mpeg4";
  options.AudioCodec = "aac";
  options.FrameSize = "160x120";
  return options;
}

// Runs main-thread calls until `done` or the deadline; false on the deadline.
template <class Done>
bool WaitFor(Done done, std::chrono::seconds limit = 120s) {
  const auto deadline = std::chrono::steady_clock::now() + limit;
  bool inTime = true;
  MainThreadQueue::Instance().WaitDraining([&] {
    inTime = std::chrono::steady_clock::now() < deadline;
    return done() || !inTime;
  });
  return done();
}

class FFEncoderTest : public testing::Test {
 protected:
  void SetUp() override {
    LoadPlugIn();
    ASSERT_TRUE(encoder_.LoadAVLib(BuildDir() + "/LibAV")) << encoder_.LastErrMsg();
    encoder_.SetOnTerminate([this](TFFEncoder*, const TTerminateInfo& info) { ends_.Add(info); });
    dir_ = ScratchDir(std::string("ff_encoder_") + testing::UnitTest::GetInstance()->current_test_info()->name());
  }

  // A task reading title `title` (0-based) of `disc`.
  int AddTitle(const std::string& disc, int title) {
    DVDPlugIn::SetDVDParam(Param(title, 0, 99, 0x80, 0));
    const int index = encoder_.AddTask("opendvd:" + DiscFolder(disc));
    EXPECT_GE(index, 0) << encoder_.LastErrMsg();
    return index;
  }

  // ... with one output file `name` in the test's folder.
  int AddTitleTo(const std::string& disc, int title, const std::string& name, TOutputOptions options = SmallOutput()) {
    const int index = AddTitle(disc, title);
    EXPECT_TRUE(encoder_.SetOutputFile(index, Out(name), &options)) << encoder_.LastErrMsg();
    return index;
  }

  std::string Out(const std::string& name) const { return dir_ + "/" + name; }

  void ExpectTitle(const std::string& name, int title, int seconds) {
    SCOPED_TRACE(name);
    const DecodedMedia media = DecodeFile(Out(name), 60);
    ASSERT_FALSE(media.frames.empty());
    EXPECT_EQ(media.frames.front().mark, (FrameMark{title, 0}));
    EXPECT_EQ(media.frames.back().mark, (FrameMark{title, seconds - 1}));
  }

  // Until the `runs`th run end since the test began.
  bool AwaitRunEnd(int runs = 1) {
    return WaitFor([this, runs] { return ends_.RunEnds() >= runs; });
  }

  Ends ends_;  // outlives the encoder, which may still report into it
  TFFEncoder encoder_;
  std::string dir_;
};

TEST_F(FFEncoderTest, ProgressIntervalIsAtLeastAHundredMilliseconds) {
  for (const auto& [set, read] : {std::pair{50, 100}, {100, 100}, {101, 101}, {-5, 100}}) {
    encoder_.SetProgressInterval(set);
    EXPECT_EQ(encoder_.ProgressInterval(), read) << set;
  }
  EXPECT_EQ(TFFEncoder::Version(), "3.3");
}

TEST_F(FFEncoderTest, BuildingTheListAndItsFailures) {
  const std::string missing = dir_ + "/missing.vob";
  EXPECT_EQ(encoder_.AddTask(missing), -1);
  EXPECT_EQ(encoder_.LastErrMsg(), missing + ": No such file or directory");

  TInputOptions input;
  input.ExtOptions = "nosuchoption_at_all=1<CRLF>ss=abc";
  DVDPlugIn::SetDVDParam(Param(0, 0, 99, 0x80, 0));
  EXPECT_EQ(encoder_.AddTask("opendvd:" + DiscFolder("twelve_titles"), &input), -1);
  EXPECT_NE(encoder_.LastErrMsg().find("ss"), std::string::npos) << encoder_.LastErrMsg();
  EXPECT_EQ(encoder_.TasksCount(), 0);

  // The record's empty file name becomes the task's input name.
  input.ExtOptions.clear();
  DVDPlugIn::SetDVDParam(Param(0, 0, 99, 0x80, 0));
  const int task = encoder_.AddTask("opendvd:" + DiscFolder("twelve_titles"), &input);
  ASSERT_EQ(task, 0) << encoder_.LastErrMsg();
  EXPECT_EQ(input.FileName, "opendvd:" + DiscFolder("twelve_titles"));
  EXPECT_EQ(encoder_.InputProbe(0, 0).VideoStreamCount(), 1);
  EXPECT_EQ(encoder_.InputProbe(0, 0).AudioStreamCount(), 1);

  for (int i = 0; i < kMaxOutputFiles; ++i)
    ASSERT_TRUE(encoder_.SetOutputFile(task, Out("out" + std::to_string(i) + ".mp4"))) << encoder_.LastErrMsg();
  EXPECT_FALSE(encoder_.SetOutputFile(task, Out("one_too_many.mp4")));
  EXPECT_EQ(encoder_.LastErrMsg(), "max output files 20 reached");
  EXPECT_THROW(encoder_.SetOutputFile(1, Out("x.mp4")), std::out_of_range);
  encoder_.RemoveTask(0);
  EXPECT_EQ(encoder_.TasksCount(), 0);
  // Outputs never written are deleted with their task.
  EXPECT_TRUE(fs::is_empty(dir_));

  // Outputs that cannot be made leave the task usable.
  const int second = AddTitle("twelve_titles", 1);
  fs::path notAFolder = Out("file");
  std::ofstream(notAFolder) << "x";
  TOutputOptions options = SmallOutput();
  EXPECT_FALSE(encoder_.SetOutputFile(second, (notAFolder / "out.mp4").string(), &options));
  EXPECT_NE(encoder_.LastErrMsg().find("Not a directory"), std::string::npos) << encoder_.LastErrMsg();
  options.VideoCodec = "nosuchencoder";
  EXPECT_FALSE(encoder_.SetOutputFile(second, Out("bad.mp4"), &options));
  EXPECT_NE(encoder_.LastErrMsg().find("Unknown encoder 'nosuchencoder'"), std::string::npos) << encoder_.LastErrMsg();
  options = SmallOutput();
  ASSERT_TRUE(encoder_.SetOutputFile(second, Out("good.mp4"), &options)) << encoder_.LastErrMsg();
  encoder_.StartTask(0);
  ASSERT_EQ(ends_.List().size(), 2u);
  EXPECT_TRUE(ends_.List()[0].Finished) << ends_.List()[0].ExceptionMsg;
  ExpectTitle("good.mp4", 2, 2);
  EXPECT_FALSE(fs::exists(Out("bad.mp4")));
}

TEST_F(FFEncoderTest, InlineRunReturnsAfterEveryEndAndLocksTheListUntilCleared) {
  for (int title = 0; title < 3; ++title) AddTitleTo("twelve_titles", title, "t" + std::to_string(title) + ".mp4");
  encoder_.StartTask(0);
  EXPECT_EQ(ends_.Indexes(), (std::vector<int>{0, 1, 2, -1}));
  for (const TTerminateInfo& end : ends_.List()) {
    EXPECT_TRUE(end.Finished) << end.TaskIndex;
    EXPECT_FALSE(end.Exception) << end.ExceptionMsg;
  }
  for (std::thread::id id : ends_.Threads()) EXPECT_EQ(id, std::this_thread::get_id());
  for (int title = 0; title < 3; ++title) ExpectTitle("t" + std::to_string(title) + ".mp4", title + 1, 2);

  const auto refused = [](const std::function<void()>& operation, const std::string& text) {
    try {
      operation();
      ADD_FAILURE() << "not refused: " << text;
    } catch (const std::runtime_error& error) {
      EXPECT_EQ(error.what(), text);
    }
  };
  refused([&] { encoder_.AddTask(Out("t0.mp4")); }, "Cannot AddTask while working.");
  refused([&] { encoder_.SetOutputFile(0, Out("again.mp4")); }, "Cannot SetOutputFile while working.");
  refused([&] { encoder_.RemoveTask(0); }, "Cannot RemoveTask while working.");
  refused([&] { encoder_.StartTask(0); }, "Cannot StartTask while working.");
  EXPECT_EQ(ends_.List().size(), 4u);  // starting again delivered nothing

  encoder_.ClearTasks();
  EXPECT_EQ(encoder_.TasksCount(), 0);
  EXPECT_EQ(AddTitle("twelve_titles", 0), 0);
}

TEST_F(FFEncoderTest, TwoAtATimeOverFiveTasks) {
  std::mutex mutex;
  std::vector<bool> started(5, false);
  int running = 0, mostRunning = 0;
  // A task runs from its first hooked frame to its final progress report.
  encoder_.SetOnCustomHook([&](TFFEncoder*, PHookInfo info) {
    std::lock_guard lock(mutex);
    if (started.at(info->TaskIndex)) return;
    started[info->TaskIndex] = true;
    mostRunning = std::max(mostRunning, ++running);
  });
  encoder_.SetOnProgress([&](TFFEncoder*, PProgressInfo info) {
    std::lock_guard lock(mutex);
    if (info->FileIndex == -1) --running;
  });
  TOutputOptions options = SmallOutput();
  options.CustomHook = true;
  for (int title = 0; title < 5; ++title)
    AddTitleTo("twelve_titles", title, "t" + std::to_string(title) + ".mp4", options);
  encoder_.StartTask(2);
  ASSERT_TRUE(AwaitRunEnd());

  std::vector<int> indexes = ends_.Indexes();
  ASSERT_EQ(indexes.size(), 6u);
  EXPECT_EQ(indexes.back(), -1);
  indexes.pop_back();
  std::sort(indexes.begin(), indexes.end());
  EXPECT_EQ(indexes, (std::vector<int>{0, 1, 2, 3, 4}));
  for (const TTerminateInfo& end : ends_.List()) EXPECT_TRUE(end.Finished) << end.TaskIndex << end.ExceptionMsg;
  for (std::thread::id id : ends_.Threads()) EXPECT_NE(id, std::this_thread::get_id());
  EXPECT_EQ(mostRunning, 2);
  EXPECT_EQ(running, 0);
  for (int title = 0; title < 5; ++title) ExpectTitle("t" + std::to_string(title) + ".mp4", title + 1, 2);
}

class StopTest : public FFEncoderTest, public testing::WithParamInterface<bool> {};

TEST_P(StopTest, StopDuringTheFirstOfThreeEndsEveryTaskThenTheRun) {
  const bool wait = GetParam();
  std::atomic<std::int64_t> reached{0};
  encoder_.SetOnProgress([&](TFFEncoder*, PProgressInfo info) { reached = info->CurrentDuration; });
  encoder_.SetProgressInterval(100);
  AddTitleTo("three_titles", 0, "long.mp4");
  AddTitleTo("twelve_titles", 1, "never1.mp4");
  AddTitleTo("twelve_titles", 2, "never2.mp4");
  encoder_.StartTask(1);
  EXPECT_THROW(encoder_.ClearTasks(), std::runtime_error);
  ASSERT_TRUE(WaitFor([&] { return reached > 3000000; }));
  encoder_.Stop(wait);
  if (!wait) {
    ASSERT_TRUE(AwaitRunEnd());
  }

  // Waiting, everything was delivered before Stop returned, in list order.
  std::vector<int> indexes = ends_.Indexes();
  if (wait) {
    EXPECT_EQ(indexes, (std::vector<int>{0, 1, 2, -1}));
  }
  ASSERT_EQ(indexes.size(), 4u);
  EXPECT_EQ(indexes.back(), -1);
  for (const TTerminateInfo& end : ends_.List()) {
    EXPECT_EQ(end.Finished, end.TaskIndex == -1) << end.TaskIndex;
    EXPECT_FALSE(end.Exception) << end.ExceptionMsg;
  }
  // The stopped file plays to where it stopped; the others were never written.
  const DecodedMedia media = DecodeFile(Out("long.mp4"), 60);
  ASSERT_FALSE(media.frames.empty());
  EXPECT_EQ(media.frames.front().mark, (FrameMark{1, 0}));
  EXPECT_GE(media.frames.back().mark.second, 3);
  EXPECT_LT(media.frames.back().mark.second, 19);
  EXPECT_FALSE(fs::exists(Out("never1.mp4")));
  EXPECT_FALSE(fs::exists(Out("never2.mp4")));

  encoder_.Stop(true);  // a second stop delivers nothing more
  EXPECT_EQ(ends_.List().size(), 4u);
  encoder_.ClearTasks();
  EXPECT_EQ(encoder_.TasksCount(), 0);
}

INSTANTIATE_TEST_SUITE_P(WaitOrNot, StopTest, testing::Bool());

TEST_F(FFEncoderTest, DestroyingTheEncoderDuringARunStopsAndReportsEverything) {
  {
    TFFEncoder encoder;
    encoder.SetOnTerminate([this](TFFEncoder*, const TTerminateInfo& info) { ends_.Add(info); });
    for (int task = 0; task < 3; ++task) {
      DVDPlugIn::SetDVDParam(Param(0, 0, 99, 0x80, 0));
      ASSERT_EQ(encoder.AddTask("opendvd:" + DiscFolder("three_titles")), task) << encoder.LastErrMsg();
      TOutputOptions options = SmallOutput();
      ASSERT_TRUE(encoder.SetOutputFile(task, Out(std::to_string(task) + ".mp4"), &options));
    }
    encoder.StartTask(2);
  }
  std::vector<int> indexes = ends_.Indexes();
  ASSERT_EQ(indexes.size(), 4u);
  EXPECT_EQ(indexes.back(), -1);
  std::sort(indexes.begin(), indexes.end());
  EXPECT_EQ(indexes, (std::vector<int>{-1, 0, 1, 2}));
  EXPECT_FALSE(fs::exists(Out("2.mp4")));
}

TEST_F(FFEncoderTest, PauseHoldsTheTaskAndStopEndsItWhilePaused) {
  std::atomic<int> reports{0};
  encoder_.SetOnProgress([&](TFFEncoder*, PProgressInfo) { ++reports; });
  encoder_.SetProgressInterval(100);
  AddTitleTo("three_titles", 0, "long.mp4");
  encoder_.StartTask(1);
  ASSERT_TRUE(WaitFor([&] { return reports > 2; }));
  encoder_.Pause();
  WaitFor([] { return false; }, 1s);  // lets the worker reach its gate
  const int whilePaused = reports;
  WaitFor([] { return false; }, 1s);
  EXPECT_EQ(reports, whilePaused);
  EXPECT_TRUE(ends_.List().empty());

  encoder_.Stop(true);
  EXPECT_EQ(ends_.Indexes(), (std::vector<int>{0, -1}));
  EXPECT_FALSE(ends_.List().front().Finished);
  EXPECT_FALSE(DecodeFile(Out("long.mp4"), 60).frames.empty());
}

TEST_F(FFEncoderTest, ResumeLetsAPausedRunFinish) {
  AddTitleTo("twelve_titles", 0, "t0.mp4");
  AddTitleTo("twelve_titles", 1, "t1.mp4");
  encoder_.Pause();  // before the start: the workers wait at their first check point
  encoder_.StartTask(1);
  WaitFor([] { return false; }, 1s);
  EXPECT_TRUE(ends_.List().empty());
  encoder_.Resume();
  ASSERT_TRUE(AwaitRunEnd());
  EXPECT_EQ(ends_.Indexes(), (std::vector<int>{0, 1, -1}));
  ExpectTitle("t1.mp4", 2, 2);
}

TEST_F(FFEncoderTest, FailingTasksEndWithTheirErrorAndTheRunGoesOn) {
  AddTitle("twelve_titles", 0);  // no output
  TOutputOptions noStreams = SmallOutput();
  noStreams.DisableAudio = noStreams.DisableVideo = noStreams.DisableSubtitle = true;
  AddTitleTo("twelve_titles", 1, "nothing.mp4", noStreams);
  AddTitleTo("twelve_titles", 2, "good.mp4");
  encoder_.StartTask(1);
  ASSERT_TRUE(AwaitRunEnd());

  const std::vector<TTerminateInfo> ends = ends_.List();
  ASSERT_EQ(ends.size(), 4u);
  EXPECT_EQ(ends[0].TaskIndex, 0);
  EXPECT_TRUE(ends[0].Exception);
  EXPECT_FALSE(ends[0].Finished);
  EXPECT_EQ(ends[0].ExceptionMsg, "At least one output file must be specified");
  EXPECT_EQ(ends[1].TaskIndex, 1);
  EXPECT_TRUE(ends[1].Exception);
  EXPECT_EQ(ends[1].ExceptionMsg, "Output file #0 does not contain any stream");
  EXPECT_EQ(ends[2].TaskIndex, 2);
  EXPECT_TRUE(ends[2].Finished);
  EXPECT_TRUE(ends[2].ExceptionMsg.empty());
  EXPECT_EQ(ends[3].TaskIndex, -1);
  EXPECT_FALSE(fs::exists(Out("nothing.mp4")));
  ExpectTitle("good.mp4", 3, 2);
}

TEST_F(FFEncoderTest, AnEmptyRunStillEnds) {
  encoder_.StartTask(1);
  ASSERT_TRUE(AwaitRunEnd());
  EXPECT_EQ(ends_.Indexes(), (std::vector<int>{-1}));
  encoder_.ClearTasks();
}

// GUI preview windows that the user closes after `open` pictures each.
struct Windows {
  std::atomic<int> made{0};
  std::atomic<int> pictures{0};
  std::atomic<bool> offMainThread{false};
  std::atomic<int> width{0};
};

class TestWindow : public TPreviewSurface {
 public:
  TestWindow(Windows& windows, int open) : windows_(windows), open_(open) { ++windows_.made; }
  bool Show(const TBitmap& picture, std::int64_t, int) override {
    if (!MainThreadQueue::Instance().IsMainThread()) windows_.offMainThread = true;
    windows_.width = picture.Width;
    ++windows_.pictures;
    return ++shown_ < open_;
  }

 private:
  Windows& windows_;
  int open_;
  int shown_ = 0;
};

TEST_F(FFEncoderTest, PreviewPicturesReachTheMainThread) {
  Windows windows;
  SetPreviewSurfaceFactory([&windows] { return std::make_unique<TestWindow>(windows, 3); });
  encoder_.SetPreview(true);
  AddTitleTo("three_titles", 0, "window0.mp4");
  AddTitleTo("three_titles", 0, "window1.mp4");
  encoder_.StartTask(1);
  ASSERT_TRUE(AwaitRunEnd());
  // Each task had its window; closing one ended that task's previews only,
  // and both tasks converted to the end.
  for (const TTerminateInfo& end : ends_.List()) EXPECT_TRUE(end.Finished) << end.ExceptionMsg;
  EXPECT_EQ(windows.made, 2);
  EXPECT_EQ(windows.pictures, 6);
  EXPECT_FALSE(windows.offMainThread);
  EXPECT_EQ(windows.width, 160);
  ExpectTitle("window1.mp4", 1, 20);

  // With the bitmap event assigned, pictures go there instead of a window.
  encoder_.ClearTasks();
  std::atomic<int> bitmaps{0};
  std::atomic<bool> bitmapOffMainThread{false};
  std::atomic<int> bitmapWidth{0};
  encoder_.SetPreviewBitmap(true);
  encoder_.SetOnPreviewBitmap([&](TFFEncoder*, const TPreviewInfo& preview) {
    if (!MainThreadQueue::Instance().IsMainThread()) bitmapOffMainThread = true;
    bitmapWidth = preview.Bitmap->Width;
    ++bitmaps;
  });
  AddTitleTo("three_titles", 0, "bitmap.mp4");
  encoder_.StartTask(1);
  ASSERT_TRUE(AwaitRunEnd(2));
  SetPreviewSurfaceFactory(nullptr);
  EXPECT_GT(bitmaps, 3);
  EXPECT_FALSE(bitmapOffMainThread);
  EXPECT_EQ(bitmapWidth, 160);
  EXPECT_EQ(windows.made, 2);
}

TEST_F(FFEncoderTest, ExtraAudioStreamsTakeTheirCodecLinesInTurn) {
  TOutputOptions options = SmallOutput();
  options.AudioCodec.clear();
  options.ExtOptions = "acodec=mp2<CRLF>newaudio=<CRLF>acodec=ac3<CRLF>newaudio=";
  AddTitleTo("twelve_titles", 0, "three_tracks.mkv", options);
  encoder_.StartTask(0);
  ASSERT_EQ(ends_.List().size(), 2u);
  EXPECT_TRUE(ends_.List()[0].Finished) << ends_.List()[0].ExceptionMsg;
  const ProbedFile probed = Probe(Out("three_tracks.mkv"));
  std::vector<std::string> codecs;
  for (const ProbedStream& audio : probed.audio) codecs.push_back(audio.codec);
  EXPECT_EQ(codecs, (std::vector<std::string>{"mp2", "mp2", "ac3"}));
}

}  // namespace
}  // namespace kx::test
