// The preferences dialog and the directory chooser offscreen: stored values
// shown with the folder fallback, the pairs of boxes that keep one ticked,
// the quality controls, Default, Ok and Cancel, and the snapshot folder
// chosen through the folder tree.
#include "app/ui/preference_dialog.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QGroupBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSlider>
#include <QSpinBox>
#include <QTest>
#include <QTimer>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>

#include "app/global_object.h"
#include "app/settings_store.h"
#include "app/ui/desktop_links.h"
#include "app/ui/directory_chooser.h"
#include "support/app_environment.h"
#include "support/scripted_messages.h"
#include "support/test_env.h"

namespace kx {
namespace {

namespace fs = std::filesystem;

const auto* const kAppEnvironment = ::testing::AddGlobalTestEnvironment(new test::AppEnvironment<QApplication>);

std::string FileText(const std::string& path) {
  std::ostringstream text;
  text << std::ifstream(path).rdbuf();
  return text.str();
}

// The dialog in a fresh $HOME, its folder chooser answering `chosen_`.
class PreferenceTest : public ::testing::Test {
 protected:
  void SetUp() override {
    root_ = test::ScratchDir(::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::create_directories(root_ + "/home");
    oldHome_ = std::getenv("HOME");
    setenv("HOME", (root_ + "/home").c_str(), 1);
    ini_ = root_ + "/settings.ini";
    fallback_ = root_ + "/home/tarnwell";
    SetDesktopOpener([this](const QUrl& url) { opened_.push_back(url); });
  }
  void TearDown() override {
    dialog_.reset();
    SetDesktopOpener({});
    setenv("HOME", oldHome_.c_str(), 1);
  }
  void Show() {
    if (!dialog_)
      dialog_ = std::make_unique<TfrmPreference>(
          ini_, messages_, [this](const std::string&) { return chosen_; }, nullptr);
    dialog_->show();
  }
  template <class T>
  T* Find(const char* name) {
    T* control = dialog_->findChild<T*>(name);
    EXPECT_NE(control, nullptr) << name;
    return control;
  }
  bool Ticked(const char* name) { return Find<QCheckBox>(name)->isChecked(); }
  QString Folder() { return Find<QLineEdit>("edtSnapDirectory")->text(); }
  void Press(const char* name) { Find<QAbstractButton>(name)->click(); }
  QList<QRadioButton*> Priorities() { return Find<QGroupBox>("rdGrpPriority")->findChildren<QRadioButton*>(); }
  std::string Stored(const char* key) { return ReadString(ini_, "settings", key, "<none>"); }

  std::string root_;
  std::string oldHome_;
  std::string ini_;
  std::string fallback_;
  std::string chosen_;
  test::ScriptedMessages messages_;
  std::vector<QUrl> opened_;
  std::unique_ptr<TfrmPreference> dialog_;
};

TEST_F(PreferenceTest, ShowsTheStoredValuesAndReplacesAnUnusableFolder) {
  WriteString(ini_, "settings", "SnapOutPutDir", root_ + "/missing");
  WriteInteger(ini_, "settings", "snapJpg", 0);
  WriteInteger(ini_, "settings", "snapSmallSize", 0);
  WriteInteger(ini_, "settings", "jpgCmp", 55);
  WriteInteger(ini_, "settings", "Priority", 3);
  Show();
  EXPECT_EQ(dialog_->windowTitle(), "Preference");
  EXPECT_EQ(Folder().toStdString(), fallback_);
  EXPECT_EQ(Stored("snapOutPutDir"), fallback_) << "the fallback is stored at once";
  EXPECT_TRUE(Ticked("ckFullSize"));
  EXPECT_FALSE(Ticked("ckSmallSize"));
  EXPECT_TRUE(Ticked("ckBmp"));
  EXPECT_FALSE(Ticked("ckJpg"));
  EXPECT_FALSE(Find<QSpinBox>("spedCmp")->isEnabled());
  EXPECT_FALSE(Find<QSlider>("trcCmp")->isEnabled());
  EXPECT_EQ(Find<QSpinBox>("spedCmp")->value(), 55);
  EXPECT_EQ(Find<QSlider>("trcCmp")->value(), 55);
  ASSERT_EQ(Priorities().size(), 4);
  EXPECT_TRUE(Priorities()[3]->isChecked());
  EXPECT_EQ(Priorities()[3]->text(), "Lowest");

  Press("ckJpg");
  EXPECT_TRUE(Find<QSpinBox>("spedCmp")->isEnabled());
  EXPECT_TRUE(Find<QSlider>("trcCmp")->isEnabled());
}

TEST_F(PreferenceTest, OneBoxOfEachPairStaysTicked) {
  Show();
  struct Case {
    const char* clicked;
    const char* other;
  };
  for (const Case& c : {Case{"ckFullSize", "ckSmallSize"}, Case{"ckSmallSize", "ckFullSize"}, Case{"ckBmp", "ckJpg"},
                        Case{"ckJpg", "ckBmp"}}) {
    SCOPED_TRACE(c.clicked);
    Find<QCheckBox>(c.other)->setChecked(false);
    Find<QCheckBox>(c.clicked)->setChecked(true);
    Press(c.clicked);
    EXPECT_TRUE(Ticked(c.clicked)) << "the last ticked box of its pair";
    Find<QCheckBox>(c.other)->setChecked(true);
    Press(c.clicked);
    EXPECT_FALSE(Ticked(c.clicked));
  }
}

TEST_F(PreferenceTest, QualityTrackBarAndOkStoreTheChoices) {
  Show();
  Find<QSlider>("trcCmp")->setValue(100);
  EXPECT_EQ(Find<QSpinBox>("spedCmp")->value(), 100);
  Find<QSpinBox>("spedCmp")->setValue(7);
  EXPECT_EQ(Find<QSlider>("trcCmp")->value(), 7);
  Press("ckSmallSize");
  Priorities()[2]->click();
  Press("btnOk");
  EXPECT_FALSE(dialog_->isVisible());
  EXPECT_EQ(Stored("jpgCmp"), "7");
  EXPECT_EQ(Stored("snapSmallSize"), "0");
  EXPECT_EQ(Stored("snapFullSize"), "1");
  EXPECT_EQ(Stored("priority"), "2");
  EXPECT_EQ(Stored("SnapOutPutDir"), fallback_);
}

TEST_F(PreferenceTest, DefaultIsStoredOnlyByOk) {
  Show();
  Find<QSpinBox>("spedCmp")->setValue(80);
  Press("btnOk");
  Show();
  const std::string before = FileText(ini_);
  Press("btnDefault");
  EXPECT_EQ(Find<QSpinBox>("spedCmp")->value(), 20);
  EXPECT_FALSE(Ticked("ckJpg"));
  Press("btnCancel");
  EXPECT_EQ(FileText(ini_), before);

  Show();
  EXPECT_EQ(Find<QSpinBox>("spedCmp")->value(), 80) << "showing reloads the stored values";
  Press("btnDefault");
  Press("btnOk");
  EXPECT_EQ(Stored("jpgCmp"), "20");
  EXPECT_EQ(Stored("snapJpg"), "0");
  EXPECT_EQ(Stored("snapBmp"), "1");
  EXPECT_EQ(Stored("snapFullSize"), "1");
  EXPECT_EQ(Stored("snapSmallSize"), "0");
  EXPECT_EQ(Stored("priority"), "1");
}

TEST_F(PreferenceTest, BrowseChecksTheChosenFolderAndStoresItAtOnce) {
  const std::string writable = root_ + "/snaps";
  fs::create_directories(writable);
  Show();
  struct Case {
    std::string chosen;
    std::string shown;    // in the field and under "SnapOutPutDir" afterwards
    std::string message;  // empty: none
  };
  const std::string denied = "You login as " + TGlobalObject::LoginName() + " .You don't have permission to write to directory:";
  const Case cases[] = {
      {writable, writable, ""},
      {"", writable, ""},
      {"/ab", writable, "The path /ab is not a valid directory."},
      {"/proc", fallback_, denied + "/proc"},  // exists, takes no files
      {writable, writable, ""},
      {root_ + "/gone", fallback_, denied + root_ + "/gone"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.chosen);
    messages_.shown.clear();
    chosen_ = c.chosen;
    Press("btnBrows");
    EXPECT_EQ(Folder().toStdString(), c.shown);
    EXPECT_EQ(Stored("SnapOutPutDir"), c.shown);
    if (c.message.empty()) {
      EXPECT_TRUE(messages_.shown.empty());
    } else {
      ASSERT_EQ(messages_.shown.size(), 1u);
      EXPECT_EQ(messages_.shown[0].caption, "Warning");
      EXPECT_EQ(messages_.shown[0].text, c.message);
    }
  }
  chosen_ = writable;
  Press("btnBrows");
  Press("btnCancel");
  EXPECT_EQ(Stored("SnapOutPutDir"), writable) << "a browsed folder stays stored after Cancel";

  Show();
  Press("btnOpen");
  ASSERT_EQ(opened_.size(), 1u);
  EXPECT_EQ(opened_[0], QUrl::fromLocalFile(QString::fromStdString(writable)));
}

TEST(DirectoryChooserTest, OkAnswersTheSelectedFolderCancelAndCloseNothing) {
  test::ScriptedMessages messages;
  TfmDirectory chooser(messages, nullptr);
  const std::string folder = test::ScratchDir("DirectoryChooserTest");
  fs::create_directories(folder + "/inner");

  // Each time the chooser is up, `act` answers it.
  std::function<void()> act;
  const auto choose = [&](const std::string& start) {
    QTimer::singleShot(0, &chooser, [&] {
      act();
      if (chooser.isVisible()) chooser.close();  // a chooser left open is closed by its window button
    });
    return chooser.Choose(start);
  };
  auto* ok = chooser.findChild<QPushButton*>("btnOk");
  auto* cancel = chooser.findChild<QPushButton*>("btnCancel");

  act = [&] { ok->click(); };
  EXPECT_EQ(choose(folder), folder) << "the start folder is selected";
  EXPECT_EQ(chooser.windowTitle(), "Browse");
  act = [&] {
    ASSERT_TRUE(chooser.SelectFolder(folder + "/inner"));
    ok->click();
  };
  EXPECT_EQ(choose(folder), folder + "/inner");
  act = [&] { cancel->click(); };
  EXPECT_EQ(choose(folder), "");
  act = [&] { ok->click(); };
  EXPECT_EQ(choose(folder + "/missing"), "/") << "a missing start selects the root folder";
  act = [] {};
  EXPECT_EQ(choose(folder), "") << "closing the window is no choice";
  EXPECT_TRUE(messages.shown.empty());
}

}  // namespace
}  // namespace kx
