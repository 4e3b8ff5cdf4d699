// The player on test disc titles through "opendvd:": what is shown at which
// position, pause, seek, end of title, failures and threads left behind.
#include <dirent.h>

#include <atomic>
#include <chrono>
#include <mutex>
#include <vector>

#include "dvd_title_probe.h"
#include "engine/main_thread_queue.h"
#include "player/ff_player.h"

namespace kx::test {
namespace {

using Clock = std::chrono::steady_clock;
constexpr std::int64_t kSecond = 1000000;

// Remembers the mark of the last picture shown and how many were shown.
class MarkSurface : public TVideoSurface {
 public:
  void ShowPicture(const TBitmap& picture, double) override {
    AVFrame* frame = av_frame_alloc();
    frame->format = AV_PIX_FMT_BGR24;
    frame->width = picture.Width;
    frame->height = picture.Height;
    frame->data[0] = const_cast<std::uint8_t*>(picture.Pixels.data());
    frame->linesize[0] = picture.Stride;
    const FrameMark mark = MarkOfFrame(frame);
    av_frame_free(&frame);
    std::lock_guard lock(mutex_);
    last_ = mark;
    ++shown_;
  }
  void ClearPicture() override {}

  FrameMark Last() const {
    std::lock_guard lock(mutex_);
    return last_;
  }
  int Shown() const {
    std::lock_guard lock(mutex_);
    return shown_;
  }

 private:
  mutable std::mutex mutex_;
  FrameMark last_;
  int shown_ = 0;
};

int ThreadCount() {
  int count = 0;
  if (DIR* dir = opendir("/proc/self/task")) {
    while (dirent* entry = readdir(dir)) count += entry->d_name[0] != '.';
    closedir(dir);
  }
  return count;
}

// Waits on the main thread, running the player's events, until `done` holds
// or `limit` has passed; answers whether it held.
template <class Predicate>
bool WaitFor(Predicate done, std::chrono::milliseconds limit) {
  const auto until = Clock::now() + limit;
  MainThreadQueue::Instance().WaitDraining([&] { return done() || Clock::now() >= until; });
  return done();
}

void Pump(std::chrono::milliseconds time) {
  WaitFor([] { return false; }, time);
}

class PlayerTest : public testing::Test {
 protected:
  void SetUp() override {
    LoadPlugIn();
    ASSERT_TRUE(player_.LoadAVLib(BuildDir() + "/LibAV"));
    player_.OnPosition = [this](TFFPlayer*, std::int64_t pts) { position_ = pts; };
    player_.OnState = [this](TFFPlayer*, TPlayState state) { states_.push_back(state); };
  }
  void TearDown() override { player_.Stop(true); }

  // Title 1 of the sample disc: 30 s, second n shows mark n.
  bool OpenSample(bool paused = false) {
    DVDPlugIn::SetDVDParam(Param(0, 0, 99, 128, 32));
    return player_.Open("opendvd:" + DiscFolder("sample"), &surface_, paused);
  }
  bool Saw(TPlayState state) const { return std::find(states_.begin(), states_.end(), state) != states_.end(); }

  TFFPlayer player_;
  MarkSurface surface_;
  std::atomic<std::int64_t> position_{-1};
  std::vector<TPlayState> states_;
};

TEST_F(PlayerTest, ThePictureShownMatchesThePositionWhilePlaying) {
  std::int64_t duration = 0;
  int width = 0;
  player_.OnFileOpen = [&](TFFPlayer*, std::int64_t d, int w, int, int&, int&) {
    duration = d;
    width = w;
  };
  const auto started = Clock::now();
  ASSERT_TRUE(OpenSample()) << player_.LastErrMsg();
  EXPECT_NEAR(duration, 30 * kSecond, kSecond);
  EXPECT_EQ(width, 720);
  ASSERT_TRUE(WaitFor([&] { return position_ >= 3 * kSecond; }, std::chrono::seconds(10)));
  // Played at its own pace, not faster.
  EXPECT_GE(Clock::now() - started, std::chrono::milliseconds(2800));
  const FrameMark mark = surface_.Last();
  EXPECT_EQ(mark.title, 1);
  EXPECT_NEAR(mark.second, position_ / kSecond, 1);
  ASSERT_FALSE(states_.empty());
  EXPECT_EQ(states_.front(), TPlayState::psPlay);
}

TEST_F(PlayerTest, PauseHoldsThePositionAndResumeGoesOn) {
  ASSERT_TRUE(OpenSample());
  ASSERT_TRUE(WaitFor([&] { return position_ >= kSecond; }, std::chrono::seconds(10)));
  player_.Pause();
  EXPECT_TRUE(player_.Paused());
  Pump(std::chrono::milliseconds(200));
  const std::int64_t held = position_;
  const int shown = surface_.Shown();
  Pump(std::chrono::milliseconds(1000));
  EXPECT_EQ(position_, held);
  EXPECT_EQ(surface_.Shown(), shown);
  player_.Resume();
  EXPECT_TRUE(WaitFor([&] { return position_ > held + 500000; }, std::chrono::seconds(5)));
  EXPECT_TRUE(Saw(TPlayState::psPause));
  EXPECT_TRUE(Saw(TPlayState::psResume));
}

TEST_F(PlayerTest, SeekShowsTheSecondSoughtPlayingAndPaused) {
  for (bool paused : {false, true}) {
    SCOPED_TRACE(paused ? "paused" : "playing");
    ASSERT_TRUE(OpenSample(paused));
    ASSERT_TRUE(WaitFor([&] { return surface_.Shown() > 0; }, std::chrono::seconds(10)));
    player_.Seek(10 * kSecond, 0, true);
    ASSERT_TRUE(WaitFor([&] { return surface_.Last().second >= 9; }, std::chrono::seconds(5)));
    Pump(std::chrono::milliseconds(100));
    EXPECT_NEAR(surface_.Last().second, 10, 1);
    EXPECT_NEAR(static_cast<double>(position_) / kSecond, 10, 1.1);
    EXPECT_EQ(player_.Paused(), paused);
    player_.Stop(true);
  }
}

TEST_F(PlayerTest, TheEndOfTheTitleReportsEndAtTheDuration) {
  ASSERT_TRUE(OpenSample());
  player_.Seek(27 * kSecond, 0, true);
  ASSERT_TRUE(WaitFor([&] { return Saw(TPlayState::psEnd); }, std::chrono::seconds(10)));
  EXPECT_NEAR(static_cast<double>(position_) / kSecond, 30, 0.5);
  EXPECT_EQ(surface_.Last().second, 29);
  // Seeking back plays again.
  player_.Seek(0, 0, true);
  EXPECT_TRUE(WaitFor([&] { return position_ < 2 * kSecond; }, std::chrono::seconds(5)));
}

TEST_F(PlayerTest, StopDeliversStopBeforeItReturns) {
  ASSERT_TRUE(OpenSample());
  ASSERT_TRUE(WaitFor([&] { return surface_.Shown() > 0; }, std::chrono::seconds(10)));
  player_.Stop(true);
  ASSERT_FALSE(states_.empty());
  EXPECT_EQ(states_.back(), TPlayState::psStop);
  EXPECT_TRUE(player_.Paused());
  TBitmap picture;
  EXPECT_EQ(player_.CurrentFrame(picture), -1);
}

TEST_F(PlayerTest, OpeningWhatCannotBePlayedFails) {
  const int threads = ThreadCount();
  for (const std::string& name : {std::string("/nonexistent/title.vob"), SourceDir() + "/README.md"}) {
    SCOPED_TRACE(name);
    EXPECT_FALSE(player_.Open(name, &surface_, false));
    EXPECT_FALSE(player_.LastErrMsg().empty());
    EXPECT_TRUE(player_.Paused());
  }
  EXPECT_EQ(ThreadCount(), threads);
  EXPECT_TRUE(states_.empty());
}

TEST_F(PlayerTest, OpeningAgainAndStoppingLeavesNoThreadBehind) {
  const int threads = ThreadCount();
  for (int round = 0; round < 3; ++round) {
    ASSERT_TRUE(OpenSample());
    ASSERT_TRUE(WaitFor([&] { return surface_.Shown() > round; }, std::chrono::seconds(10)));
  }
  player_.Stop(true);
  // Every playback ended with its own stop before the next one started.
  EXPECT_EQ(std::count(states_.begin(), states_.end(), TPlayState::psPlay), 3);
  EXPECT_EQ(std::count(states_.begin(), states_.end(), TPlayState::psStop), 3);
  EXPECT_EQ(ThreadCount(), threads);
}

}  // namespace
}  // namespace kx::test
