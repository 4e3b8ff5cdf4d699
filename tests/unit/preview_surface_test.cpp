// The preview window of a running task: caption text, drawing in the main
// thread, and what happens once the user closed it or no GUI is there.
#include <gtest/gtest.h>

#include <future>
#include <thread>
#include <vector>

#include "engine/main_thread_queue.h"
#include "engine/option_records.h"
#include "engine/preview_surface.h"

namespace kx {
namespace {

struct CaptionCase {
  std::int64_t ptsUs;
  const char* caption;
};

class PreviewCaptionTest : public testing::TestWithParam<CaptionCase> {};

TEST_P(PreviewCaptionTest, HoursMinutesSecondsMilliseconds) {
  EXPECT_EQ(PreviewCaption(GetParam().ptsUs), GetParam().caption);
}

INSTANTIATE_TEST_SUITE_P(Times, PreviewCaptionTest,
                         testing::Values(CaptionCase{0, "00:00:00.000"}, CaptionCase{999, "00:00:00.000"},
                                         CaptionCase{61001000, "00:01:01.001"},
                                         CaptionCase{3723456789, "01:02:03.456"},
                                         CaptionCase{360000000000, "100:00:00.000"},
                                         CaptionCase{-1500000, "-00:00:01.500"},
                                         CaptionCase{kUnsetTime, "N/A"}));

// What a GUI window does: keeps what it was shown, closes after `framesOpen` pictures.
struct Shown {
  std::vector<int> frames;
  std::vector<std::thread::id> threads;
  int windowsMade = 0;
  int windowsFreed = 0;
  std::thread::id freedIn;
};

class ClosingSurface : public TPreviewSurface {
 public:
  ClosingSurface(Shown& shown, int framesOpen) : shown_(shown), framesOpen_(framesOpen) { ++shown_.windowsMade; }
  ~ClosingSurface() override {
    ++shown_.windowsFreed;
    shown_.freedIn = std::this_thread::get_id();
  }
  bool Show(const TBitmap& picture, std::int64_t, int frameNumber) override {
    EXPECT_EQ(picture.Width, 8);
    shown_.frames.push_back(frameNumber);
    shown_.threads.push_back(std::this_thread::get_id());
    return static_cast<int>(shown_.frames.size()) < framesOpen_;
  }

 private:
  Shown& shown_;
  int framesOpen_;
};

// Offers pictures 1 … count from a worker, as a running task does, and
// collects Show's answers; this thread runs the main-thread calls meanwhile.
std::vector<bool> OfferFromWorker(TPreviewer& previewer, int count) {
  TBitmap picture;
  picture.Resize(8, 6);
  std::future<std::vector<bool>> answers = std::async(std::launch::async, [&] {
    std::vector<bool> result;
    for (int frame = 1; frame <= count; ++frame) result.push_back(previewer.Show(picture, frame * 40000, frame));
    return result;
  });
  MainThreadQueue::Instance().WaitDraining(answers);
  return answers.get();
}

TEST(PreviewerTest, DrawsInTheMainThreadUntilTheUserClosesTheWindow) {
  Shown shown;
  SetPreviewSurfaceFactory([&shown] { return std::make_unique<ClosingSurface>(shown, 3); });
  {
    TPreviewer previewer;
    EXPECT_EQ(OfferFromWorker(previewer, 5), (std::vector<bool>{true, true, false, false, false}));
    EXPECT_EQ(shown.frames, (std::vector<int>{1, 2, 3}));
    for (std::thread::id id : shown.threads) EXPECT_EQ(id, std::this_thread::get_id());
    // The closed window is gone at once; no second one opens for this task.
    EXPECT_EQ(shown.windowsMade, 1);
    EXPECT_EQ(shown.windowsFreed, 1);
  }
  SetPreviewSurfaceFactory(nullptr);
}

TEST(PreviewerTest, AnOpenWindowIsFreedInTheMainThread) {
  Shown shown;
  SetPreviewSurfaceFactory([&shown] { return std::make_unique<ClosingSurface>(shown, 100); });
  auto previewer = std::make_unique<TPreviewer>();
  EXPECT_EQ(OfferFromWorker(*previewer, 2), (std::vector<bool>{true, true}));
  // A task may drop its previewer on its worker; the window still dies in the main thread.
  std::future<void> dropped = std::async(std::launch::async, [&] { previewer.reset(); });
  MainThreadQueue::Instance().WaitDraining(dropped);
  EXPECT_EQ(shown.windowsFreed, 1);
  EXPECT_EQ(shown.freedIn, std::this_thread::get_id());
  SetPreviewSurfaceFactory(nullptr);
}

TEST(PreviewerTest, WithoutAGuiNothingIsShownAndTheTaskStopsOffering) {
  TPreviewer previewer;
  EXPECT_EQ(OfferFromWorker(previewer, 2), (std::vector<bool>{false, false}));
}

}  // namespace
}  // namespace kx
