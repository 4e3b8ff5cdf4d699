// The main window's preview offscreen: Play on a selected title shows the
// disc's pictures in pan1 and moves the position bar; Stop resets it; the
// snapshot button saves the picture shown.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QAction>
#include <QLabel>
#include <QMenu>
#include <QTest>
#include <QUrl>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>

#include "app/folder_settings.h"
#include "app/global_object.h"
#include "app/settings_store.h"
#include "app/ui/application.h"
#include "app/ui/desktop_links.h"
#include "app/ui/main_window.h"
#include "app/ui/title_list.h"
#include "app/ui/title_preview.h"
#include "controls/track_bar2.h"
#include "preview/video_surface_widget.h"
#include "support/app_environment.h"
#include "support/picture_file.h"
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

const auto* const kAppEnvironment = ::testing::AddGlobalTestEnvironment(new test::AppEnvironment<TApplication>);
TApplication& App() { return test::AppEnvironment<TApplication>::Instance(); }

class TitlePreviewTest : public ::testing::Test {
 protected:
  void SetUp() override {
    root_ = test::ScratchHomeAndConfig();
    App().SetMessageBoxes(&messages_);
    SetDesktopOpener([this](const QUrl& url) { opened_.push_back(url.toLocalFile().toStdString()); });
    window_ = std::make_unique<TfrmMain>(std::vector<std::string>{test::DiscImage("sample")});
    window_->show();
  }
  void TearDown() override {
    window_.reset();
    SetDesktopOpener({});
    App().SetMessageBoxes(nullptr);
  }
  void OpenSampleDisc() {
    for (QAction* item : Find<QMenu>("mniAddDVDDriver")->actions())
      if (item->text().startsWith(QString::fromStdString(test::DiscImage("sample") + ":"))) item->trigger();
  }
  // Plays the first title into its third second (bright enough to tell
  // from black), pauses it and presses the snapshot button with the folder
  // stored as `snapshotFolder`.
  void SnapshotOfPausedTitle(const std::string& snapshotFolder) {
    OpenSampleDisc();
    Find<QAbstractButton>("imgbtnPlay")->click();
    auto* surface = Find<VideoSurface>("pan1");
    auto* time = Find<QLabel>("lblTime");
    ASSERT_TRUE(QTest::qWaitFor([&] { return time->text() >= "0:00:03" && !surface->CurrentImage().isNull(); }, 10000));
    Find<QAbstractButton>("imgbtnPause")->click();
    WriteString(GlobalObject->SettingsIniName(), kSettingsSection, kSnapOutPutDirKey, snapshotFolder);
    shown_ = surface->CurrentImage();
    // A real click, so an error reaches the application-wide handler.
    QTest::mouseClick(Find<QAbstractButton>("imgbtnSnap"), Qt::LeftButton);
  }
  template <class T>
  T* Find(const char* name) {
    T* control = window_->findChild<T*>(name);
    EXPECT_NE(control, nullptr) << name;
    return control;
  }

  std::string root_;
  test::ScriptedMessages messages_;
  std::unique_ptr<TfrmMain> window_;
  std::vector<std::string> opened_;
  QImage shown_;
};

TEST_F(TitlePreviewTest, PlayShowsPicturesAndMovesTheBarStopResets) {
  OpenSampleDisc();
  ASSERT_EQ(Find<TTitleList>("lvFiles")->RowCount(), 2);
  auto* surface = Find<VideoSurface>("pan1");
  auto* bar = Find<TTrackBar2>("trcPreview");
  EXPECT_FALSE(bar->isEnabled());

  Find<QAbstractButton>("imgbtnPlay")->click();
  EXPECT_TRUE(Find<QAbstractButton>("imgbtnStop")->isEnabled());
  EXPECT_FALSE(Find<QAbstractButton>("imgbtnPlay")->isEnabled());
  EXPECT_EQ(Find<QLabel>("lblPTS")->text(), "0:00:30");
  ASSERT_TRUE(QTest::qWaitFor([&] { return bar->PositionL() > 0 && !surface->CurrentImage().isNull(); }, 10000));
  EXPECT_EQ(surface->CurrentImage().size(), QSize(720, 576));
  EXPECT_NE(Find<QLabel>("lblTime")->text(), "00:00:00");

  Find<QAbstractButton>("imgbtnStop")->click();
  EXPECT_EQ(bar->PositionL(), 0);
  EXPECT_FALSE(bar->isEnabled());
  EXPECT_EQ(Find<QLabel>("lblTime")->text(), "00:00:00");
  EXPECT_EQ(Find<QLabel>("lblPTS")->text(), "00:00:00");
  EXPECT_TRUE(Find<QAbstractButton>("imgbtnPlay")->isEnabled());
  EXPECT_TRUE(QTest::qWaitFor([&] { return surface->CurrentImage().isNull(); }, 2000));
}

// Dragging with the left button down moves the volume bar to
// x / (width - 20) of its range, wherever the press was, and stores it.
TEST_F(TitlePreviewTest, VolumeBarFollowsTheDragAndStoresTheVolume) {
  auto* bar = Find<TTrackBar2>("trcVolume");
  ASSERT_EQ(bar->width(), 80);
  const std::pair<int, int> cases[] = {{30, 64}, {45, 96}, {79, 128}, {0, 0}};
  for (const auto& [x, volume] : cases) {
    QTest::mousePress(bar, Qt::LeftButton, {}, QPoint(2, bar->height() / 2));
    QTest::mouseMove(bar, QPoint(x, bar->height() / 2));
    QTest::mouseRelease(bar, Qt::LeftButton, {}, QPoint(x, bar->height() / 2));
    EXPECT_EQ(bar->PositionL(), volume) << x;
    EXPECT_EQ(ReadInteger(GlobalObject->SettingsIniName(), kSettingsSection, "volume", -1), volume) << x;
  }
}

TEST_F(TitlePreviewTest, SnapshotSavesTheShownPictureAtFullAndPanelSizeAndOpensTheFolder) {
  const std::string folder = root_ + "/shots/new";
  SnapshotOfPausedTitle(folder);
  const std::pair<const char*, QSize> files[] = {{"Snapshot_full.bmp", {720, 576}},
                                                 {"Snapshot_small.bmp", {370, 240}},
                                                 {"Snapshot_full.jpg", {720, 576}},
                                                 {"Snapshot_small.jpg", {370, 240}}};
  for (const auto& [name, size] : files) {
    const test::RgbPicture picture = test::ReadPictureFile(folder + "/" + name);
    EXPECT_EQ(QSize(picture.width, picture.height), size) << name;
    // Each second of the disc is one flat colour: the middle shows which.
    const QColor expected = shown_.pixelColor(shown_.width() / 2, shown_.height() / 2);
    const std::uint8_t* middle = picture.Pixel(picture.width / 2, picture.height / 2);
    EXPECT_NEAR(middle[0], expected.red(), 12) << name;
    EXPECT_NEAR(middle[1], expected.green(), 12) << name;
    EXPECT_NEAR(middle[2], expected.blue(), 12) << name;
  }
  EXPECT_EQ(opened_, std::vector<std::string>{folder});
  EXPECT_TRUE(messages_.shown.empty());
}

TEST_F(TitlePreviewTest, SnapshotFolderThatCannotBeCreatedWarnsAndUsesTheDefault) {
  std::ofstream(root_ + "/plain_file") << "not a folder";
  const std::string blocked = root_ + "/plain_file/shots";
  SnapshotOfPausedTitle(blocked);
  ASSERT_EQ(messages_.shown.size(), 1u);
  EXPECT_EQ(messages_.shown[0].caption, "Warning");
  EXPECT_EQ(messages_.shown[0].text,
            "Cannot create output directory:" + blocked + ".It will create default directory " + DefaultFolder() + "!");
  EXPECT_TRUE(fs::exists(DefaultFolder() + "/Snapshot_full.jpg"));
  EXPECT_EQ(ReadString(GlobalObject->SettingsIniName(), kSettingsSection, kSnapOutPutDirKey, ""), DefaultFolder());
}

TEST_F(TitlePreviewTest, SnapshotFileThatCannotBeWrittenIsReportedAndTheFolderNotOpened) {
  const std::string folder = root_ + "/shots";
  fs::create_directories(folder + "/Snapshot_full.bmp");  // a folder in the file's place
  SnapshotOfPausedTitle(folder);
  ASSERT_EQ(messages_.shown.size(), 1u);
  EXPECT_NE(messages_.shown[0].text.find("Snapshot_full.bmp"), std::string::npos) << messages_.shown[0].text;
  EXPECT_FALSE(fs::exists(folder + "/Snapshot_small.bmp"));
  EXPECT_TRUE(opened_.empty());
}

}  // namespace
}  // namespace kx
