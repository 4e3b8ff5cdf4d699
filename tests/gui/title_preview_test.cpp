// The main window's preview offscreen: Play on a selected title shows the
// disc's pictures in pan1 and moves the position bar; Stop resets it.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QAction>
#include <QLabel>
#include <QMenu>
#include <QSlider>
#include <QTest>

#include <cstdlib>
#include <filesystem>
#include <memory>

#include "app/ui/application.h"
#include "app/ui/main_window.h"
#include "app/ui/title_list.h"
#include "app/ui/title_preview.h"
#include "preview/video_surface_widget.h"
#include "support/scripted_messages.h"
#include "support/test_env.h"

namespace kx {
namespace {

namespace fs = std::filesystem;

TEST(VideoSurfaceTest, PicturesAreLetterboxedOnEvenSizes) {
  struct Case {
    QSize area;
    double aspect;
    QRect expected;
  };
  const Case cases[] = {{{370, 240}, 16.0 / 9, {0, 16, 370, 208}},
                        {{370, 240}, 4.0 / 3, {25, 0, 320, 240}},
                        {{370, 240}, 0, {0, 0, 370, 240}}};
  for (const Case& c : cases) EXPECT_EQ(VideoSurface::PictureRect(c.area, c.aspect), c.expected) << c.aspect;
}

class TitlePreviewTest : public ::testing::Test {
 protected:
  void SetUp() override {
    static int argc = 1;
    static char name[] = "title_preview_test";
    static char* argv[] = {name, nullptr};
    if (!app_) {
      app_ = std::make_unique<TApplication>(argc, argv);
      struct FreeApp : ::testing::Environment {
        void TearDown() override { app_.reset(); }
      };
      ::testing::AddGlobalTestEnvironment(new FreeApp);
    }
    root_ = test::ScratchDir(::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::create_directories(root_ + "/home");
    fs::create_directories(root_ + "/config");
    setenv("HOME", (root_ + "/home").c_str(), 1);
    setenv("KESTRIX_CONFIG_DIR", (root_ + "/config").c_str(), 1);
    app_->SetMessageBoxes(&messages_);
    window_ = std::make_unique<TfrmMain>(std::vector<std::string>{test::DiscImage("sample")});
    window_->show();
  }
  void TearDown() override {
    window_.reset();
    app_->SetMessageBoxes(nullptr);
  }
  template <class T>
  T* Find(const char* name) {
    T* control = window_->findChild<T*>(name);
    EXPECT_NE(control, nullptr) << name;
    return control;
  }

  static inline std::unique_ptr<TApplication> app_;
  std::string root_;
  test::ScriptedMessages messages_;
  std::unique_ptr<TfrmMain> window_;
};

TEST_F(TitlePreviewTest, PlayShowsPicturesAndMovesTheBarStopResets) {
  for (QAction* item : Find<QMenu>("mniAddDVDDriver")->actions())
    if (item->text().startsWith(QString::fromStdString(test::DiscImage("sample") + ":"))) item->trigger();
  ASSERT_EQ(Find<TTitleList>("lvFiles")->RowCount(), 2);
  auto* surface = Find<VideoSurface>("pan1");
  auto* bar = Find<QSlider>("trcPreview");
  EXPECT_FALSE(bar->isEnabled());

  Find<QAbstractButton>("imgbtnPlay")->click();
  EXPECT_TRUE(Find<QAbstractButton>("imgbtnStop")->isEnabled());
  EXPECT_FALSE(Find<QAbstractButton>("imgbtnPlay")->isEnabled());
  EXPECT_EQ(Find<QLabel>("lblPTS")->text(), "0:00:30");
  ASSERT_TRUE(QTest::qWaitFor([&] { return bar->value() > 0 && !surface->CurrentImage().isNull(); }, 10000));
  EXPECT_EQ(surface->CurrentImage().size(), QSize(720, 576));
  EXPECT_NE(Find<QLabel>("lblTime")->text(), "00:00:00");

  Find<QAbstractButton>("imgbtnStop")->click();
  EXPECT_EQ(bar->value(), 0);
  EXPECT_FALSE(bar->isEnabled());
  EXPECT_EQ(Find<QLabel>("lblTime")->text(), "00:00:00");
  EXPECT_EQ(Find<QLabel>("lblPTS")->text(), "00:00:00");
  EXPECT_TRUE(Find<QAbstractButton>("imgbtnPlay")->isEnabled());
  EXPECT_TRUE(QTest::qWaitFor([&] { return surface->CurrentImage().isNull(); }, 2000));
}

}  // namespace
}  // namespace kx
