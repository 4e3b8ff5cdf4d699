// The settings dialog offscreen with the installed format INI: the stored
// choices shown, switching profile, the typed-value checks with their
// messages, and what Ok, Default and Cancel leave in the settings INI.
#include "profiles/ui/settings_dialog.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTest>
#include <QToolButton>
#include <fstream>
#include <memory>
#include <sstream>

#include "app/settings_store.h"
#include "support/app_environment.h"
#include "support/scripted_messages.h"
#include "support/test_env.h"

namespace kx {
namespace {

const auto* const kAppEnvironment = ::testing::AddGlobalTestEnvironment(new test::AppEnvironment<QApplication>);

std::string FileText(const std::string& path) {
  std::ostringstream text;
  text << std::ifstream(path).rdbuf();
  return text.str();
}

constexpr char kH264Name[] = "H.264/MPEG-4 AVC Video (*.mp4)";

// The dialog over a settings INI whose current profile is H.264 (103).
class SettingsDialogTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = test::ScratchDir(::testing::UnitTest::GetInstance()->current_test_info()->name());
    settingsIni_ = dir_ + "/settings.ini";
    formatIni_ = test::SourceDir() + "/data/kestrixzuneformat.ini";
    WriteString(settingsIni_, "settings", "FormatName", kH264Name);
    WriteInteger(settingsIni_, "settings", "FormatCode", 103);
  }
  void Show() {
    dialog_ = std::make_unique<TfrmSettings>(settingsIni_, formatIni_, messages_, nullptr);
    dialog_->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(dialog_.get()));
  }
  QComboBox* Box(const char* name) {
    auto* box = dialog_->findChild<QComboBox*>(name);
    EXPECT_NE(box, nullptr) << name;
    return box;
  }
  QString Text(const char* name) { return Box(name)->currentText(); }
  void Press(const char* name) { dialog_->findChild<QPushButton*>(name)->click(); }
  std::string Stored(const std::string& section, const char* key) {
    return ReadString(settingsIni_, section, key, "<none>");
  }
  // Opens the dialog's picker, expands `group` and presses the row `name`.
  void ChooseProfile(const char* group, const char* name) {
    auto* list = dialog_->findChild<QListWidget*>("lst1");
    dialog_->findChild<QToolButton*>("imgbtn1")->click();
    ASSERT_TRUE(list->isVisible());
    const auto press = [list](const char* text, int x) {
      const auto found = list->findItems(text, Qt::MatchExactly);
      ASSERT_FALSE(found.isEmpty()) << text;
      const QRect rect = list->visualItemRect(found.front());
      QTest::mousePress(list->viewport(), Qt::LeftButton, {}, QPoint(rect.left() + x, rect.center().y()));
    };
    if (list->findItems(name, Qt::MatchExactly).isEmpty()) press(group, 5);
    press(name, 40);
  }

  std::string dir_;
  std::string settingsIni_;
  std::string formatIni_;
  test::ScriptedMessages messages_;
  std::unique_ptr<TfrmSettings> dialog_;
};

TEST_F(SettingsDialogTest, ShowsTheStoredChoicesOfTheCurrentProfile) {
  WriteInteger(settingsIni_, "formatInfo103", "iVideoSize", -1);
  WriteString(settingsIni_, "formatInfo103", "paraVideoSize", "700x400");
  WriteInteger(settingsIni_, "formatInfo103", "iVideoBitRate", 3);
  WriteInteger(settingsIni_, "formatInfo103", "iVolume", 2);
  WriteInteger(settingsIni_, "formatInfo103", "iChannel", 7);  // no such item
  Show();
  EXPECT_EQ(dialog_->windowTitle(), "Settings");
  EXPECT_EQ(dialog_->size(), QSize(475, 370));
  EXPECT_EQ(dialog_->findChild<QLineEdit*>("edt1")->text(), kH264Name);
  EXPECT_EQ(Box("cmbVideoSize")->count(), 5);
  EXPECT_EQ(Text("cmbVideoSize"), "700x400");
  EXPECT_EQ(Text("cmbVideoBitRate"), "1500");
  EXPECT_EQ(Text("cmbVideoEncoder"), "h264");
  EXPECT_EQ(Text("cmbSamplerate"), "44100");
  EXPECT_EQ(Text("cmbVolume"), "75%");
  EXPECT_EQ(Box("cmbChannel")->currentIndex(), -1);
  EXPECT_EQ(Text("cmbZoom"), "Letterbox") << "a missing zoom reads as letterbox on showing";
  EXPECT_TRUE(Box("cmbZoom")->isEnabled());

  // An audio profile: its "null" video lists disable every video box.
  ChooseProfile("General Audio formates", "MP3 MPEG Layer-3 Audio (*.mp3)");
  for (const char* video : {"cmbVideoSize", "cmbVideoBitRate", "cmbFrameRate", "cmbVideoEncoder", "cmbZoom"})
    EXPECT_FALSE(Box(video)->isEnabled()) << video;
  EXPECT_TRUE(Box("cmbAudioEncoder")->isEnabled());
  EXPECT_EQ(Text("cmbAudioEncoder"), "mp3");
  EXPECT_EQ(Text("cmbZoom"), "Full screen") << "a missing zoom reads as full screen after switching";

  Press("btnOk");
  EXPECT_FALSE(dialog_->isVisible());
  EXPECT_EQ(Stored("formatInfo200", "paraVideoEncoder"), "<none>");
  EXPECT_EQ(Stored("formatInfo200", "paraAudioEncoder"), "libmp3lame");
  EXPECT_EQ(Stored("formatInfo200", "paraVolume"), "64") << "a profile without stored choices shows the first items";
  EXPECT_EQ(Stored("settings", "FormatCode"), "200");
  EXPECT_EQ(Stored("settings", "FormatName"), "MP3 MPEG Layer-3 Audio (*.mp3)");
  EXPECT_EQ(Stored("lstformat", "2"), "0") << "the dialog's group states are kept";
  EXPECT_EQ(Stored("formatInfo103", "iVideoSize"), "-1") << "the profile left behind is not written";
}

TEST_F(SettingsDialogTest, RefusedKeysLeaveTheTextAsItWas) {
  Show();
  struct Case {
    const char* box;
    const char* before;
    const char* typed;
    const char* after;
    bool numericalMessage;
  };
  const Case cases[] = {
      {"cmbVideoSize", "640x48", "a", "640x48", false},
      {"cmbVideoSize", "640x480", "x", "640x480", false},
      {"cmbVideoSize", "640", "x4", "640x4", false},
      {"cmbVideoBitRate", "800", "k", "800", true},
      {"cmbVideoBitRate", "80", "0", "800", false},
      {"cmbAudioBitRate", "96", ".", "96", true},
      {"cmbSamplerate", "4410", "0", "44100", false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.box) + " " + c.typed);
    messages_.shown.clear();
    QComboBox* box = Box(c.box);
    box->setEditText(c.before);
    box->lineEdit()->end(false);
    QTest::keyClicks(box, c.typed);
    EXPECT_EQ(box->currentText(), c.after);
    ASSERT_EQ(messages_.shown.size(), c.numericalMessage ? 1u : 0u);
    if (c.numericalMessage) {
      EXPECT_EQ(messages_.shown[0].text, "Please enter numerical.");
    }
  }
}

TEST_F(SettingsDialogTest, LeavingABoxChecksTheTypedValue) {
  Show();
  QApplication::setActiveWindow(dialog_.get());
  QWidget* elsewhere = Box("cmbVideoEncoder");
  const std::string before = FileText(settingsIni_);
  struct Case {
    const char* box;
    const char* typed;
    const char* caption;  // the application's name (the test program's, kx-test); empty: no message
    const char* message;
    const char* after;
  };
  const Case cases[] = {
      {"cmbVideoSize", "700x400", "", "", "700x400"},
      {"cmbVideoSize", "720X480", "kx-test", "Frame Size is not a valid value!", "640x480"},
      {"cmbVideoSize", "640x", "kx-test", "Frame Size is not a valid value!", "640x480"},
      {"cmbVideoSize", "321x241", "Input Error!", "Frame Size must be a multiple of 2.\nThe correct value:320x240",
       "320x240"},
      {"cmbVideoSize", "0x0", "Input Error!", "Frame Size must be a multiple of 2.\nThe correct value:2x2", "2x2"},
      {"cmbVideoSize", "as source", "", "", "as source"},
      {"cmbVideoBitRate", "", "kx-test", "Video BitRate is not a valid value!", "768"},
      {"cmbVideoBitRate", "as source", "", "", "as source"},
      {"cmbSamplerate", "44k", "kx-test", "Audio SampleRate is not a valid value!", "48000"},
      {"cmbAudioBitRate", "96.5", "", "", "96.5"},
      {"cmbAudioBitRate", "9x", "kx-test", "Audio BitRate is not a valid value!", "128"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.box) + " " + c.typed);
    messages_.shown.clear();
    QComboBox* box = Box(c.box);
    box->setFocus();
    box->setEditText(c.typed);
    elsewhere->setFocus();
    EXPECT_EQ(box->currentText(), c.after);
    if (*c.caption) {
      ASSERT_EQ(messages_.shown.size(), 1u);
      EXPECT_EQ(messages_.shown[0].caption, c.caption);
      EXPECT_EQ(messages_.shown[0].text, c.message);
    } else {
      EXPECT_TRUE(messages_.shown.empty());
    }
  }
  EXPECT_EQ(FileText(settingsIni_), before) << "leaving a box stores nothing";

  // Ok from the keyboard checks the box it is typed in.
  QComboBox* size = Box("cmbVideoSize");
  size->setFocus();
  size->setEditText("641x480");
  messages_.shown.clear();
  dialog_->btnOkClick();
  EXPECT_EQ(messages_.shown.size(), 1u);
  EXPECT_EQ(Stored("formatInfo103", "paraVideoSize"), "640x480");
  EXPECT_EQ(Stored("formatInfo103", "iVideoSize"), "1");
}

TEST_F(SettingsDialogTest, OkStoresTheShownChoicesAndTheTuning) {
  WriteString(settingsIni_, "formatInfo103", "paraZoom", "center");
  Show();
  EXPECT_EQ(Box("cmbZoom")->currentIndex(), -1) << "center selects no zoom";
  Box("cmbVideoSize")->setEditText("700x400");
  Box("cmbVideoBitRate")->setCurrentIndex(4);
  Box("cmbFrameRate")->setCurrentIndex(2);
  Box("cmbChannel")->setCurrentIndex(1);
  Box("cmbVolume")->setCurrentIndex(0);
  Press("btnOk");

  const std::string s = "formatInfo103";
  EXPECT_EQ(Stored(s, "Description"), kH264Name);
  EXPECT_EQ(Stored(s, "iVideoSize"), "-1");
  EXPECT_EQ(Stored(s, "paraVideoSize"), "700x400");
  EXPECT_EQ(Stored(s, "iVideoBitRate"), "4");
  EXPECT_EQ(Stored(s, "paraVideoBitRate"), "2000");
  EXPECT_EQ(Stored(s, "iFrameRate"), "2");
  EXPECT_EQ(Stored(s, "paraFrameRate"), "23.976");
  EXPECT_EQ(Stored(s, "paraZoom"), "center") << "no zoom selected stores none";
  EXPECT_EQ(Stored(s, "paraVideoEncoder"), "libx264");
  EXPECT_EQ(Stored(s, "paraMaxBitrate"), "1500");
  EXPECT_EQ(Stored(s, "paraBufferSize"), "4000");
  EXPECT_EQ(Stored(s, "paraLevel"), "30");
  EXPECT_EQ(Stored(s, "paraGop"), "250");
  EXPECT_EQ(Stored(s, "paraCoder"), "1");
  EXPECT_EQ(Stored(s, "paraSampleRate"), "44100");
  EXPECT_EQ(Stored(s, "paraAudioBitRate"), "96");
  EXPECT_EQ(Stored(s, "iChannel"), "1");
  EXPECT_EQ(Stored(s, "paraChannel"), "1");
  EXPECT_EQ(Stored(s, "iVolume"), "0");
  EXPECT_EQ(Stored(s, "paraVolume"), "64");
  EXPECT_EQ(Stored(s, "paraAudioEncoder"), "libfaac");

  // Shown again, the dialog reads back what Ok stored.
  dialog_->show();
  EXPECT_EQ(Text("cmbVideoSize"), "700x400");
  EXPECT_EQ(Text("cmbFrameRate"), "23.976");
  EXPECT_EQ(Text("cmbVolume"), "25%");
}

TEST_F(SettingsDialogTest, DefaultSelectsTheProfileDefaultsAndCancelStoresNothing) {
  WriteInteger(settingsIni_, "formatInfo103", "iVideoSize", 4);
  WriteInteger(settingsIni_, "formatInfo103", "iVolume", 8);
  WriteString(settingsIni_, "formatInfo103", "paraZoom", "pan");
  const std::string before = FileText(settingsIni_);
  Show();
  EXPECT_EQ(Text("cmbVideoSize"), "1280x720");
  EXPECT_EQ(Text("cmbZoom"), "Pan and Scan");
  Press("btnDefault");
  EXPECT_EQ(Text("cmbVideoSize"), "640x480");
  EXPECT_EQ(Text("cmbVideoBitRate"), "1000");
  EXPECT_EQ(Text("cmbAudioBitRate"), "128");
  EXPECT_EQ(Text("cmbVolume"), "100%");
  EXPECT_EQ(Text("cmbZoom"), "Full screen");
  ChooseProfile("General Video formates", "AVI Video (*.avi)");
  Press("btnCancel");
  EXPECT_FALSE(dialog_->isVisible());
  EXPECT_EQ(FileText(settingsIni_), before);
}

}  // namespace
}  // namespace kx
