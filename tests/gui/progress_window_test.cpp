// The progress window driving real runs of test disc titles offscreen: what
// it shows while tasks run, the after-conversion actions, Cancel and Pause,
// and the errors of failed tasks told after the run.
#include "conversion/ui/progress_window.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <memory>
#include <set>
#include <string>
#include <thread>
#include <vector>

extern "C" {
#include <libavformat/avformat.h>
}

#include "app/settings_store.h"
#include "controls/picture_button.h"
#include "conversion/conversion_start.h"
#include "conversion/ui/power_off.h"
#include "conversion/ui/picture_box.h"
#include "dvd/dvd_plug_in.h"
#include "profiles/profile_catalogue.h"
#include "profiles/profile_files.h"
#include "support/app_environment.h"
#include "support/decoded_media.h"
#include "support/scripted_messages.h"
#include "support/test_env.h"

namespace kx {
namespace {

namespace fs = std::filesystem;

const auto* const kAppEnvironment = ::testing::AddGlobalTestEnvironment(new test::AppEnvironment<QApplication>);

// Width and height of a picture file as FFmpeg reads it; empty when it cannot.
QSize PictureSize(const std::string& path) {
  AVFormatContext* ctx = nullptr;
  if (avformat_open_input(&ctx, path.c_str(), nullptr, nullptr) < 0) return {};
  QSize size;
  if (avformat_find_stream_info(ctx, nullptr) >= 0 && ctx->nb_streams > 0)
    size = QSize(ctx->streams[0]->codecpar->width, ctx->streams[0]->codecpar->height);
  avformat_close_input(&ctx);
  return size;
}

// The title list as the window sees it; the folder action is recorded.
class RecordingHost : public ConversionHost {
 public:
  std::string RowCaption(int row) const override { return captions[row]; }
  void SetProgressCell(int row, const std::string& text) override { cells[row] = text; }
  int TickedRowCount() const override { return static_cast<int>(captions.size()); }
  void OpenOutputFolder() override { cellsAtOpen.push_back(cells); }
  std::string SettingsIni() const override { return settingsIni; }

  std::vector<std::string> captions;
  std::vector<std::string> cells;
  std::vector<std::vector<std::string>> cellsAtOpen;  // one entry per opening
  std::string settingsIni;
};

// Ticked rows of three_titles registered as tasks of `encoder`.
class ProgressRunTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = test::ScratchDir(::testing::UnitTest::GetInstance()->current_test_info()->name());
    ini_ = {dir_ + "/config/" + kFormatIniFile, dir_ + "/config/" + kSettingsIniFile};
    InstallProfileFiles(ini_.format, ini_.settings);
    WriteString(ini_.settings, kSettingsSection, "OutPutDir", dir_ + "/out");
    ASSERT_TRUE(DVDPlugIn::LoadDVDLib(test::BuildDir() + "/LibAV"));
    ASSERT_GE(DVDPlugIn::EnumTitles(Drive()), 3);
    encoder_.SetProgressInterval(100);
  }

  static std::string Drive() { return test::DiscFolder("three_titles"); }

  // One row per title index, each converting `trimUs` (0: the whole title).
  StartedConversion Start(const std::vector<int>& titles, std::int64_t trimUs) {
    records_.clear();
    for (int index : titles) {
      TDVDTitleInfo info;
      EXPECT_TRUE(DVDPlugIn::GetTitleInfo(index, info));
      records_.push_back(NewTitleJob(index, info));
      records_.back().TrimLength = trimUs;
    }
    std::vector<TitleRowRef> rows;
    for (size_t i = 0; i < titles.size(); ++i) {
      host_.captions.push_back("DVD Title " + std::to_string(titles[i] + 1));
      rows.push_back({host_.captions.back(), true, &records_[i]});
    }
    host_.cells.assign(titles.size(), "");
    StartedConversion started = StartConversion(rows, Drive(), ini_, encoder_, boxes_);
    EXPECT_TRUE(started.Ready);
    return started;
  }

  // Runs with `watch` called every few milliseconds while the window is up.
  void Run(const StartedConversion& started, std::function<void()> watch) {
    QTimer poll;
    poll.setInterval(5);
    QObject::connect(&poll, &QTimer::timeout, [&] {
      if (window_.isVisible()) watch();
    });
    poll.start();
    window_.Run(encoder_, host_, started.TaskRows, boxes_);
  }

  template <class T>
  T* Control(const char* name) {
    T* control = window_.findChild<T*>(name);
    EXPECT_NE(control, nullptr) << name;
    return control;
  }
  QString Label(const char* name) { return Control<QLabel>(name)->text(); }
  QColor CentreOfPreview() {
    const QImage& canvas = Control<TPictureBox>("imgPreview")->Canvas();
    return canvas.pixelColor(canvas.width() / 2, canvas.height() / 2);
  }

  std::string dir_;
  ProfileIniFiles ini_;
  TFFEncoder encoder_;
  std::vector<TlvFilesRecord> records_;
  RecordingHost host_;
  test::ScriptedMessages boxes_;
  TfrmProgress window_;
};

TEST_F(ProgressRunTest, FollowsEveryTaskThenOpensTheFolderOnce) {
  const std::string poweredOff = dir_ + "/powered_off";
  setenv(kShutdownCommandVariable, ("touch \"" + poweredOff + "\"").c_str(), 1);
  Control<QCheckBox>("ckShutDown")->setChecked(true);
  Control<QCheckBox>("ckOpen")->setChecked(false);  // ticked again when the window opens
  const StartedConversion started = Start({0, 1, 2}, 2'000'000);

  std::set<QString> numbers, lengths;
  bool blueBeforeFirstPicture = true;
  Run(started, [&] {
    numbers.insert(Label("lblProgress"));
    lengths.insert(Label("lblLength"));
    if (window_.PreviewPicture().Width == 0) blueBeforeFirstPicture &= CentreOfPreview() == kSkyBlue;
  });
  unsetenv(kShutdownCommandVariable);

  EXPECT_FALSE(window_.isVisible());
  EXPECT_EQ(encoder_.TasksCount(), 0);
  EXPECT_TRUE(boxes_.shown.empty());
  EXPECT_EQ(host_.cells, (std::vector<std::string>{"100%", "100%", "100%"}));
  // Once, after the third task's end.
  ASSERT_EQ(host_.cellsAtOpen.size(), 1u);
  EXPECT_EQ(host_.cellsAtOpen[0], host_.cells);
  EXPECT_TRUE(numbers.count("[2/3]")) << numbers.size();
  EXPECT_TRUE(numbers.count("[3/3]"));
  EXPECT_TRUE(lengths.count("2 Second"));
  EXPECT_TRUE(blueBeforeFirstPicture);
  EXPECT_NE(CentreOfPreview(), kSkyBlue);  // the last picture stays
  EXPECT_EQ(Control<QProgressBar>("progbarFile")->value(), 100);
  for (const std::string& file : started.OutputFiles) {
    const test::DecodedMedia media = test::DecodeFile(file, 10);
    ASSERT_FALSE(media.frames.empty()) << file;
    EXPECT_NEAR(media.frames.back().seconds, 2.0, 0.2) << file;
  }
  for (int i = 0; i < 100 && !fs::exists(poweredOff); ++i) std::this_thread::sleep_for(std::chrono::milliseconds(20));
  EXPECT_TRUE(fs::exists(poweredOff));
}

TEST_F(ProgressRunTest, CancelDuringTheSecondTaskEndsTheRun) {
  // The 20-second title second, so it is still running when Cancel comes.
  const StartedConversion started = Start({1, 0, 2}, 0);
  bool cancelled = false;
  Run(started, [&] {
    if (!cancelled && Label("lblProgress") == "[2/3]") {
      cancelled = true;
      Control<QPushButton>("btnCancel")->click();
    }
  });
  EXPECT_TRUE(cancelled);
  EXPECT_FALSE(window_.isVisible());
  EXPECT_EQ(encoder_.TasksCount(), 0);
  EXPECT_TRUE(host_.cellsAtOpen.empty());
  EXPECT_EQ(host_.cells[0], "100%");
  EXPECT_NE(host_.cells[1], "100%");
  EXPECT_EQ(host_.cells[2], "");  // never started
  EXPECT_TRUE(boxes_.shown.empty());  // stopped, not failed
}

TEST_F(ProgressRunTest, PauseThenCancelEnds) {
  const StartedConversion started = Start({0}, 0);
  bool paused = false, resumable = false;
  Run(started, [&] {
    if (!paused && Label("lblProgress") == "[1/1]") {
      paused = true;
      Control<QPushButton>("btnPause")->click();
      resumable = Control<QPushButton>("btnResume")->isEnabled() && !Control<QPushButton>("btnPause")->isEnabled();
      QTimer::singleShot(300, &window_, [this] { Control<QPushButton>("btnCancel")->click(); });
    }
  });
  EXPECT_TRUE(paused);
  EXPECT_TRUE(resumable);
  EXPECT_EQ(encoder_.TasksCount(), 0);
  EXPECT_NE(host_.cells[0], "100%");
}

// The snapshot button saves the latest preview picture at the output's size
// and the preview box as shown; before the first picture it does nothing.
TEST_F(ProgressRunTest, SnapshotSavesThePreviewPictureAndTheBox) {
  const std::string snaps = dir_ + "/snaps";
  host_.settingsIni = ini_.settings;
  WriteString(ini_.settings, kSettingsSection, "SnapOutPutDir", snaps);
  const StartedConversion started = Start({0}, 0);
  bool pressedEarly = false, snapped = false;
  Run(started, [&] {
    if (!pressedEarly) {
      pressedEarly = true;
      if (window_.PreviewPicture().Width == 0) {
        Control<TPictureButton>("imgbtnSnap")->click();
        EXPECT_FALSE(fs::exists(snaps + "/Snapshot_full.bmp"));
      }
    }
    if (!snapped && window_.PreviewPicture().Width > 0) {
      snapped = true;
      Control<TPictureButton>("imgbtnSnap")->click();
      Control<QPushButton>("btnCancel")->click();
    }
  });
  ASSERT_TRUE(snapped);
  const QSize box = Control<TPictureBox>("imgPreview")->size();
  EXPECT_EQ(PictureSize(snaps + "/Snapshot_full.bmp"), QSize(window_.PreviewPicture().Width, window_.PreviewPicture().Height));
  EXPECT_EQ(PictureSize(snaps + "/Snapshot_full.jpg"), QSize(window_.PreviewPicture().Width, window_.PreviewPicture().Height));
  EXPECT_EQ(PictureSize(snaps + "/Snapshot_small.bmp"), box);
  EXPECT_EQ(PictureSize(snaps + "/Snapshot_small.jpg"), box);
}

TEST_F(ProgressRunTest, FailedTasksAreToldAfterTheRun) {
  // An odd frame size: the task fails when its filters and encoders are set up.
  WriteString(ini_.settings, FormatSection(kDefaultFormatCode), "paraVideoSize", "321x241");
  const StartedConversion started = Start({1, 2}, 1'000'000);
  Run(started, [] {});
  ASSERT_EQ(boxes_.shown.size(), 2u);
  const std::string told[] = {"DVD Title 2 could not be converted: ", "DVD Title 3 could not be converted: "};
  for (int i = 0; i < 2; ++i) {
    EXPECT_EQ(boxes_.shown[i].caption, "Warning");
    EXPECT_EQ(boxes_.shown[i].text.rfind(told[i], 0), 0u) << boxes_.shown[i].text;
    EXPECT_GT(boxes_.shown[i].text.size(), told[i].size());  // the engine's reason follows
  }
  EXPECT_TRUE(host_.cellsAtOpen.empty());
}

}  // namespace
}  // namespace kx
