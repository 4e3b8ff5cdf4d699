// Program start offscreen: the first start's settings, the start-up picture,
// the About window and the application-wide exception handler.
#include <gtest/gtest.h>

#include <QAction>
#include <QDialog>
#include <QEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <memory>
#include <optional>
#include <stdexcept>

#include "app/global_object.h"
#include "app/settings_store.h"
#include "app/sound_settings.h"
#include "app/ui/application.h"
#include "app/ui/cover_window.h"
#include "app/ui/main_window.h"
#include "engine/ffmpeg_exception.h"
#include "support/app_environment.h"
#include "support/scripted_messages.h"
#include "support/test_env.h"

namespace kx {
namespace {

namespace fs = std::filesystem;

// The application lives from before the first test until after the last,
// and is gone before the program's static objects are destroyed.
const auto* const kAppEnvironment = ::testing::AddGlobalTestEnvironment(new test::AppEnvironment<TApplication>);

TApplication& App() { return test::AppEnvironment<TApplication>::Instance(); }

// A fresh $HOME and an empty $KESTRIX_CONFIG_DIR for one test.
class StartupTest : public ::testing::Test {
 protected:
  void SetUp() override {
    const std::string root =
        test::ScratchDir(::testing::UnitTest::GetInstance()->current_test_info()->name());
    home_ = root + "/home";
    config_ = root + "/config";
    fs::create_directories(home_);
    fs::create_directories(config_);
    oldHome_ = std::getenv("HOME");
    setenv("HOME", home_.c_str(), 1);
    setenv("KESTRIX_CONFIG_DIR", config_.c_str(), 1);
  }
  void TearDown() override {
    setenv("HOME", oldHome_.c_str(), 1);
    unsetenv("KESTRIX_CONFIG_DIR");
  }
  std::string Ini() const { return config_ + "/kestrixzudeduzirevezuzidi.ini"; }
  std::string Fallback() const { return home_ + "/tarnwell"; }

  std::string home_;
  std::string config_;
  std::string oldHome_;
};

TEST_F(StartupTest, FirstStartStoresFallbackFolders) {
  TfrmMain window({});
  window.show();

  ASSERT_TRUE(fs::exists(Ini()));
  EXPECT_EQ(ReadString(Ini(), "settings", "OutPutDir", ""), Fallback());
  EXPECT_EQ(ReadString(Ini(), "settings", "SnapOutPutDir", ""), Fallback());
  EXPECT_FALSE(fs::exists(Fallback())) << "the first show creates no folder";
  EXPECT_EQ(window.findChild<QLineEdit*>("edDirectory")->text().toStdString(), Fallback());

  const std::string appName = "Kestrix DVD to ZUNE Converter";
  EXPECT_EQ(window.windowTitle().toStdString(), appName);
  EXPECT_EQ(QApplication::applicationDisplayName().toStdString(), appName);
  EXPECT_EQ(GlobalObject->VersionText(), TGlobalObject::FileVersionText());
  EXPECT_EQ(window.findChild<QLabel*>("lblAppName")->text().toStdString(),
            appName + TGlobalObject::FileVersionText());
  auto* log = window.findChild<QPlainTextEdit*>("mmoLog");
  ASSERT_NE(log, nullptr);
  EXPECT_FALSE(log->isVisible());
}

TEST_F(StartupTest, StoredFoldersAreKeptOnlyWhenWritable) {
  const std::string writable = home_ + "/videos";
  fs::create_directories(writable);
  struct Case {
    std::string stored;
    std::string used;
  };
  for (const Case& c : {Case{writable, writable}, Case{home_ + "/gone", Fallback()}, Case{"", Fallback()}}) {
    SCOPED_TRACE(c.stored);
    fs::remove(Ini());
    WriteString(Ini(), "settings", "OutPutDir", c.stored);
    WriteString(Ini(), "settings", "snapOutPutDir", c.stored);
    TfrmMain window({});
    window.show();
    EXPECT_EQ(ReadString(Ini(), "settings", "OutPutDir", ""), c.used);
    EXPECT_EQ(ReadString(Ini(), "settings", "SnapOutPutDir", ""), c.used);
    EXPECT_EQ(window.findChild<QLineEdit*>("edDirectory")->text().toStdString(), c.used);
  }
}

TEST_F(StartupTest, StoredVolumeOutsideRangeReadsAsHalf) {
  struct Case {
    const char* stored;  // nullptr: no key
    int volume;
  };
  for (const Case& c : {Case{"200", 64}, Case{"-1", 64}, Case{"129", 64}, Case{"0", 0}, Case{"128", 128},
                        Case{"77", 77}, Case{"loud", 0}, Case{nullptr, 0}}) {
    SCOPED_TRACE(c.stored ? c.stored : "missing");
    fs::remove(Ini());
    if (c.stored) WriteString(Ini(), "settings", "volume", c.stored);
    EXPECT_EQ(ReadVolume(Ini()), c.volume);
  }
}

TEST_F(StartupTest, CommandLineDrivesAreKeptAsAbsolutePaths) {
  const auto drives = ExtraDrivesFrom({"kestrix", "/discs/a.iso", "relative/VIDEO_TS"});
  ASSERT_EQ(drives.size(), 2u);
  EXPECT_EQ(drives[0], "/discs/a.iso");
  EXPECT_EQ(drives[1], fs::current_path().string() + "/relative/VIDEO_TS");
  TfrmMain window(drives);
  EXPECT_EQ(window.ExtraDrives(), drives);
}

TEST_F(StartupTest, AboutShowsNameVersionAndProductPage) {
  TfrmMain window({});
  window.show();
  auto* about = window.findChild<QAction*>("mniAbout");
  ASSERT_NE(about, nullptr);
  for (int opening = 0; opening < 2; ++opening) {
    bool seen = false;
    QTimer::singleShot(0, [&] {
      QWidget* dialog = QApplication::activeModalWidget();
      ASSERT_NE(dialog, nullptr);
      seen = true;
      EXPECT_EQ(dialog->objectName(), "frmAbout");
      EXPECT_EQ(dialog->windowTitle(), "About");
      EXPECT_EQ(dialog->size(), QSize(340, 187));
      EXPECT_EQ(dialog->findChild<QLabel*>("lblAppName")->text().toStdString(),
                GlobalObject->AppName() + GlobalObject->VersionText());
      EXPECT_TRUE(dialog->findChild<QLabel*>("lblProductUrl")
                      ->text()
                      .contains(QString::fromStdString(GlobalObject->ProductUrl())));
      auto* ok = dialog->findChild<QPushButton*>("btnOk");
      EXPECT_EQ(ok->text(), "&Ok");
      ok->click();
    });
    about->trigger();
    EXPECT_TRUE(seen);
  }
  EXPECT_EQ(window.findChildren<QDialog*>("frmAbout").size(), 1) << "the About window is kept";
}

TEST_F(StartupTest, CoverShowsItsPictureUntilTheMainWindowShows) {
  TfrmCover cover(test::BuildDir() + "/");
  cover.ShowAtOnce();
  ASSERT_FALSE(cover.Picture().isNull());
  EXPECT_EQ(cover.size(), QSize(480, 280));
  EXPECT_TRUE(cover.isVisible());
  // The disc in the picture is orange at its rim and dark blue inside.
  const QColor rim = cover.Picture().pixelColor(40, 100);
  EXPECT_GT(rim.red(), 200);
  EXPECT_LT(rim.blue(), 80);
  EXPECT_LT(cover.Picture().pixelColor(90, 120).red(), 40);

  TfrmMain window({});
  cover.WatchMainWindow(&window);
  QTest::qWait(1300);
  EXPECT_TRUE(cover.isVisible()) << "closed before the main window showed";
  window.show();
  EXPECT_TRUE(QTest::qWaitFor([&] { return !cover.isVisible(); }, 2500));
}

TEST_F(StartupTest, CoverWithoutUsablePictureStaysHidden) {
  std::ifstream real(test::BuildDir() + "/skin/dvdzunecover.jpg", std::ios::binary);
  const std::string jpeg((std::istreambuf_iterator<char>(real)), std::istreambuf_iterator<char>());
  ASSERT_GT(jpeg.size(), 1000u);
  struct Case {
    const char* name;
    std::optional<std::string> file;  // none: no picture file
  };
  for (const Case& c : {Case{"missing", std::nullopt}, Case{"empty", ""},
                        Case{"garbage", std::string(5000, 'x')}, Case{"headerOnly", jpeg.substr(0, 200)}}) {
    SCOPED_TRACE(c.name);
    const std::string folder = home_ + "/" + c.name + "/";
    fs::create_directories(folder + "skin");
    if (c.file) std::ofstream(folder + "skin/dvdzunecover.jpg", std::ios::binary) << *c.file;
    TfrmCover cover(folder);
    cover.ShowAtOnce();
    EXPECT_TRUE(cover.Picture().isNull());
    EXPECT_FALSE(cover.isVisible());
  }
}

// Raises what it was given from inside an event handler.
class ThrowingObject : public QObject {
 public:
  explicit ThrowingObject(std::function<void()> raise) : raise_(std::move(raise)) {}
  bool event(QEvent*) override {
    raise_();
    return true;
  }

 private:
  std::function<void()> raise_;
};

TEST_F(StartupTest, ExceptionHandlerShowsMessageWithFullStopAndIcon) {
  struct Case {
    std::function<void()> raise;
    std::string text;
    MessageIcon icon;
  };
  const Case cases[] = {
      {[] { throw FFmpegException("Could not open input file"); }, "Could not open input file.",
       MessageIcon::Warning},
      // "'" sorts before ".": no full stop.
      {[] { throw FFmpegException("Unknown encoder 'x'"); }, "Unknown encoder 'x'", MessageIcon::Warning},
      {[] { throw std::runtime_error("Disk 2"); }, "Disk 2.", MessageIcon::Error},
      {[] { throw std::runtime_error("Finished."); }, "Finished.", MessageIcon::Error},
      {[] { throw std::runtime_error("Stop!"); }, "Stop!", MessageIcon::Error},
      {[] { throw std::runtime_error("(see log)"); }, "(see log)", MessageIcon::Error},
      {[] { throw std::runtime_error(""); }, "", MessageIcon::Error},
      {[] { throw 42; }, "An unexpected error occurred.", MessageIcon::Error},
  };
  test::ScriptedMessages boxes;
  App().SetMessageBoxes(&boxes);
  QApplication::setApplicationDisplayName("Kestrix DVD Ripper");
  for (const Case& c : cases) {
    ThrowingObject target(c.raise);
    QEvent event(QEvent::User);
    EXPECT_FALSE(QCoreApplication::sendEvent(&target, &event));
  }
  App().SetMessageBoxes(nullptr);
  ASSERT_EQ(boxes.shown.size(), std::size(cases));
  for (std::size_t i = 0; i < std::size(cases); ++i) {
    SCOPED_TRACE(cases[i].text);
    EXPECT_EQ(boxes.shown[i].caption, "Kestrix DVD Ripper");
    EXPECT_EQ(boxes.shown[i].text, cases[i].text);
    EXPECT_EQ(boxes.shown[i].icon, cases[i].icon);
  }
}

TEST_F(StartupTest, SettingsThatCannotBeWrittenAreReported) {
  // The settings folder lies under a regular file, so no write can succeed.
  const std::string blocker = home_ + "/not-a-folder";
  std::ofstream(blocker) << "x";
  setenv("KESTRIX_CONFIG_DIR", (blocker + "/config").c_str(), 1);
  test::ScriptedMessages boxes;
  App().SetMessageBoxes(&boxes);
  {
    TfrmMain window({});
    window.show();
    EXPECT_TRUE(window.isVisible());
  }
  App().SetMessageBoxes(nullptr);
  ASSERT_EQ(boxes.shown.size(), 1u);
  EXPECT_EQ(boxes.shown[0].icon, MessageIcon::Error);
  EXPECT_NE(boxes.shown[0].text.find("The setting could not be saved."), std::string::npos)
      << boxes.shown[0].text;
  EXPECT_NE(boxes.shown[0].text.find(blocker), std::string::npos) << boxes.shown[0].text;
}

}  // namespace
}  // namespace kx
