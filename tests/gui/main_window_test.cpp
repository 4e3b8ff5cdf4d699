// The main window offscreen, driven by its control names: opening test discs
// from the drive menu, the title list with its rows and columns, the stream
// and chapter choice, the output folder row, the menus and the close question.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QAction>
#include <QComboBox>
#include <QHeaderView>
#include <QLineEdit>
#include <QMenu>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <cstdlib>
#include <filesystem>
#include <memory>

#include "app/global_object.h"
#include "app/settings_store.h"
#include "app/title_row_texts.h"
#include "app/ui/application.h"
#include "app/ui/desktop_links.h"
#include "app/ui/directory_chooser.h"
#include "app/ui/main_window.h"
#include "app/ui/output_folder_row.h"
#include "app/ui/title_list.h"
#include "support/app_environment.h"
#include "support/decoded_media.h"
#include "support/scripted_messages.h"
#include "support/test_env.h"

namespace kx {
namespace {

namespace fs = std::filesystem;

const auto* const kAppEnvironment = ::testing::AddGlobalTestEnvironment(new test::AppEnvironment<TApplication>);

QStringList Entries(const QComboBox* list) {
  QStringList entries;
  for (int i = 0; i < list->count(); ++i) entries << list->itemText(i);
  return entries;
}

// One window in a fresh $HOME and settings folder, its messages scripted.
class MainWindowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    root_ = test::ScratchDir(::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::create_directories(root_ + "/home");
    fs::create_directories(root_ + "/config");
    oldHome_ = std::getenv("HOME");
    setenv("HOME", (root_ + "/home").c_str(), 1);
    setenv("KESTRIX_CONFIG_DIR", (root_ + "/config").c_str(), 1);
    test::AppEnvironment<TApplication>::Instance().SetMessageBoxes(&messages_);
    SetDesktopOpener([this](const QUrl& url) { opened_.push_back(url); });
  }
  void TearDown() override {
    window_.reset();
    SetDesktopOpener({});
    test::AppEnvironment<TApplication>::Instance().SetMessageBoxes(nullptr);
    setenv("HOME", oldHome_.c_str(), 1);
    unsetenv("KESTRIX_CONFIG_DIR");
  }

  // The window with `drives` on its command line, shown.
  TfrmMain& Show(std::vector<std::string> drives = {}) {
    window_.reset();  // the old window frees the global object as it goes
    window_ = std::make_unique<TfrmMain>(std::move(drives));
    window_->show();
    return *window_;
  }
  template <class T>
  T* Find(const char* name) {
    T* control = window_->findChild<T*>(name);
    EXPECT_NE(control, nullptr) << name;
    return control;
  }
  TTitleList* List() { return Find<TTitleList>("lvFiles"); }
  QComboBox* Audio() { return Find<QComboBox>("cmbAudioLanguage"); }
  QComboBox* Subtitle() { return Find<QComboBox>("cmbSubtitle"); }
  QString From() { return Find<QLineEdit>("edtFrom")->text(); }
  QString To() { return Find<QLineEdit>("edtTo")->text(); }
  void Press(const char* button) { Find<QAbstractButton>(button)->click(); }
  // Opens a test disc image through its item in the drive menu.
  void OpenFromMenu(const std::string& image) {
    for (QAction* item : Find<QMenu>("mniAddDVDDriver")->actions())
      if (item->text().startsWith(QString::fromStdString(image + ":"))) return item->trigger();
    ADD_FAILURE() << "no drive item for " << image;
  }
  void ClickRow(int row) {
    QTreeWidgetItem* item = List()->Row(row);
    const QRect cell = List()->visualItemRect(item);
    QTest::mouseClick(List()->viewport(), Qt::LeftButton, {}, cell.center());
  }

  std::string root_;
  std::string oldHome_;
  test::ScriptedMessages messages_;
  std::vector<QUrl> opened_;
  std::unique_ptr<TfrmMain> window_;
};

TEST_F(MainWindowTest, DiscWithUnreadableTitleListsTheOthers) {
  const std::string image = test::DiscImage("second_unreadable");
  Show({image});
  EXPECT_EQ(List()->columnCount(), 1);
  EXPECT_TRUE(List()->isHeaderHidden());

  OpenFromMenu(image);

  ASSERT_EQ(messages_.shown.size(), 1u);
  EXPECT_EQ(messages_.shown[0].caption, "Warning");
  EXPECT_EQ(messages_.shown[0].text, "Title #2 is invalid");
  EXPECT_EQ(window_->DvdDrive(), image);

  TTitleList* list = List();
  ASSERT_EQ(list->RowCount(), 2);
  EXPECT_FALSE(list->isHeaderHidden());
  const char* captions[] = {"Source", "Duration", "Trim Length", "Frame Size", "Video Format", "Progress"};
  const int widths[] = {120, 70, 70, 70, 85, 55};
  ASSERT_EQ(list->columnCount(), 6);
  for (int column = 0; column < 6; ++column) {
    EXPECT_EQ(list->headerItem()->text(column), captions[column]);
    EXPECT_EQ(list->columnWidth(column), widths[column]);
  }
  const int titleIndexes[] = {0, 2};
  for (int row = 0; row < 2; ++row) {
    SCOPED_TRACE(row);
    TTitleRow* item = list->Row(row);
    EXPECT_EQ(item->Record.TitleIndex, titleIndexes[row]);
    EXPECT_EQ(item->text(0), QString("DVD Title %1").arg(titleIndexes[row] + 1));
    EXPECT_EQ(item->checkState(0), Qt::Checked);
    const QString duration = QString::fromStdString("   " + DurationText(item->Record.TitleInfo.Duration));
    EXPECT_TRUE(duration == "   0:00:04" || duration == "   0:00:03") << duration.toStdString();
    EXPECT_EQ(item->text(1), duration);
    EXPECT_EQ(item->text(2), duration);
    EXPECT_EQ(item->text(3), "   720 x 576");
    EXPECT_EQ(item->text(4), "   MPEG-2");
    EXPECT_EQ(item->text(5), "");
  }

  // The first row is selected and shown: one AC-3 track, no subtitle stream, one chapter.
  EXPECT_EQ(list->SelectedRow(), list->Row(0));
  EXPECT_TRUE(Audio()->isEnabled());
  ASSERT_EQ(Audio()->count(), 1);
  EXPECT_TRUE(Audio()->itemText(0).startsWith("128  ")) << Audio()->itemText(0).toStdString();
  EXPECT_EQ(Entries(Subtitle()), QStringList{"Default"});
  EXPECT_EQ(From(), "1");
  EXPECT_EQ(To(), "1");
}

TEST_F(MainWindowTest, FailedOpeningsClearTheListAndSayWhy) {
  const std::string empty = root_ + "/empty";
  fs::create_directories(empty);
  struct Case {
    std::string drive;
    std::string caption;
    std::string text;
    MessageIcon icon;
  };
  const Case cases[] = {
      {root_ + "/missing.iso", "Warning", "Can't find a DVD Disk!", MessageIcon::Warning},
      {empty, "Message", "No DVD title(s) found. Maybe not a valid DVD.", MessageIcon::Information},
  };
  Show();
  for (const Case& c : cases) {
    SCOPED_TRACE(c.drive);
    window_->OpenDrive(test::DiscImage("three_titles"));
    ASSERT_EQ(List()->RowCount(), 3);
    messages_.shown.clear();

    window_->OpenDrive(c.drive);
    ASSERT_EQ(messages_.shown.size(), 1u);
    EXPECT_EQ(messages_.shown[0].caption, c.caption);
    EXPECT_EQ(messages_.shown[0].text, c.text);
    EXPECT_EQ(messages_.shown[0].icon, c.icon);
    EXPECT_EQ(List()->RowCount(), 0);
    EXPECT_TRUE(List()->isHeaderHidden());
    EXPECT_EQ(window_->DvdDrive(), c.drive);
    EXPECT_FALSE(Audio()->isEnabled());
    EXPECT_EQ(Subtitle()->count(), 0);
    EXPECT_EQ(From(), "");
  }
}

TEST_F(MainWindowTest, StartConvertsTheTickedTitles) {
  Show();
  window_->OpenDrive(test::DiscFolder("three_titles"));
  ASSERT_EQ(List()->RowCount(), 3);
  for (int row = 0; row < 3; ++row) List()->Row(row)->setCheckState(colSource, Qt::Unchecked);
  Press("btnStart");
  ASSERT_EQ(messages_.shown.size(), 1u);
  EXPECT_EQ(messages_.shown[0].text, "Please select a file by clicking the check box!");

  // The two short titles; the progress window runs them and closes. The
  // third is brightened: the window's frame hook applies it to that task only.
  List()->Row(1)->setCheckState(colSource, Qt::Checked);
  List()->Row(2)->setCheckState(colSource, Qt::Checked);
  List()->Row(2)->Record.Brightness = 384;
  Press("btnStartBelow");
  EXPECT_EQ(messages_.shown.size(), 1u);
  EXPECT_EQ(List()->Row(0)->text(colProgress), "");
  EXPECT_EQ(List()->Row(1)->text(colProgress), "100%");
  EXPECT_EQ(List()->Row(2)->text(colProgress), "100%");
  const std::string out = root_ + "/home/tarnwell/";
  // With the first start's profile settings: pictures of the right title.
  const test::DecodedMedia second = test::DecodeFile(out + "DVD Title 2_(new).mp4", 1);
  ASSERT_FALSE(second.frames.empty());
  EXPECT_EQ(second.frames.front().mark, (test::FrameMark{2, 0}));
  const test::DecodedMedia third = test::DecodeFile(out + "DVD Title 3_(new).mp4", 1);
  ASSERT_FALSE(third.frames.empty());
  EXPECT_NE(third.frames.front().mark, (test::FrameMark{3, 0}));
  ASSERT_EQ(opened_.size(), 1u);  // the output folder, after the last task
  EXPECT_EQ(opened_[0].toLocalFile().toStdString() + "/", out);

  // The task list was cleared at the run end: the menu item starts again.
  messages_.shown.clear();
  Find<QAction>("mniStart")->trigger();
  EXPECT_TRUE(fs::exists(out + "DVD Title 3_(new_1).mp4"));
  EXPECT_TRUE(messages_.shown.empty());
}

TEST_F(MainWindowTest, StreamListsFollowTheSelectedRow) {
  Show();
  window_->OpenDrive(test::DiscFolder("three_titles"));
  ASSERT_EQ(List()->RowCount(), 3);
  EXPECT_EQ(Audio()->count(), 2);
  EXPECT_EQ(Subtitle()->count(), 3);
  EXPECT_EQ(Subtitle()->itemText(2), "Default");
  EXPECT_EQ(To(), "4");

  // The second audio track and "Default" on row 2, then back to row 1 and again to row 2.
  ClickRow(1);
  Audio()->setCurrentIndex(1);
  Subtitle()->setCurrentIndex(2);
  const TlvFilesRecord& second = List()->Row(1)->Record;
  EXPECT_EQ(second.AudioIndex, 1);
  EXPECT_EQ(second.AudioStreamId, second.TitleInfo.Audio[1].StreamId);
  EXPECT_EQ(second.SubtitleIndex, 2);
  EXPECT_EQ(second.SubtitleStreamId, 0);
  ClickRow(0);
  EXPECT_EQ(Audio()->currentIndex(), 0);
  EXPECT_EQ(Subtitle()->currentIndex(), 0);
  EXPECT_EQ(List()->Row(0)->Record.SubtitleStreamId, List()->Row(0)->Record.TitleInfo.Subtitles[0].StreamId);
  ClickRow(1);
  EXPECT_EQ(Audio()->currentIndex(), 1);
  EXPECT_EQ(Subtitle()->currentText(), "Default");

  // Clearing the selection disables the choice; Clear empties everything.
  List()->clearSelection();
  for (const char* control : {"cmbAudioLanguage", "cmbSubtitle", "btnUp", "btnDown", "btnUp1", "btnDown1"})
    EXPECT_FALSE(Find<QWidget>(control)->isEnabled()) << control;
  Press("btnClear");
  EXPECT_EQ(List()->RowCount(), 0);
  EXPECT_EQ(List()->columnCount(), 1);
  EXPECT_EQ(Audio()->count(), 0);
  EXPECT_EQ(From(), "");
  EXPECT_EQ(To(), "");
}

TEST_F(MainWindowTest, TitleWithoutAudioOffersOnlyDefaultSubtitle) {
  Show();
  window_->OpenDrive(test::DiscImage("no_audio"));
  ASSERT_EQ(List()->RowCount(), 1);
  EXPECT_FALSE(Audio()->isEnabled());
  EXPECT_EQ(Audio()->count(), 0);
  EXPECT_TRUE(Subtitle()->isEnabled());
  EXPECT_EQ(Entries(Subtitle()), QStringList{"Default"});
  Subtitle()->setCurrentIndex(0);
  EXPECT_EQ(List()->Row(0)->Record.AudioStreamId, 0);
  EXPECT_EQ(List()->Row(0)->Record.SubtitleStreamId, 0);
}

TEST_F(MainWindowTest, ChapterButtonsMoveTheRangeOfTheRecord) {
  Show();
  window_->OpenDrive(test::DiscImage("three_titles"));  // 4 chapters each
  struct Case {
    std::vector<const char*> presses;
    QString from, to;
  };
  const Case cases[] = {
      {{"btnUp", "btnUp", "btnUp", "btnUp"}, "4", "4"},  // stops at the last chapter
      {{"btnDown1"}, "3", "3"},                          // the first follows the last
      {{"btnUp1", "btnDown", "btnDown", "btnDown"}, "1", "4"},
      {{"btnDown1", "btnDown1", "btnDown1", "btnDown1"}, "1", "1"},
  };
  for (const Case& c : cases) {
    for (const char* button : c.presses) Press(button);
    EXPECT_EQ(From(), c.from);
    EXPECT_EQ(To(), c.to);
    EXPECT_EQ(QString::number(List()->Row(0)->Record.ChapterFrom), c.from);
    EXPECT_EQ(QString::number(List()->Row(0)->Record.ChapterTo), c.to);
  }

  // A title of one chapter stays at 1 … 1.
  window_->OpenDrive(test::DiscImage("no_audio"));
  for (const char* button : {"btnUp", "btnDown", "btnUp1", "btnDown1"}) {
    Press(button);
    EXPECT_EQ(From(), "1") << button;
    EXPECT_EQ(To(), "1") << button;
  }
}

TEST_F(MainWindowTest, BrowseChecksTheChosenFolder) {
  Show();
  const std::string ini = GlobalObject->SettingsIniName();
  const std::string fallback = root_ + "/home/tarnwell";
  const std::string writable = root_ + "/out";
  fs::create_directories(writable);
  std::string answer;
  auto* row = window_->findChild<TOutputFolderRow*>();
  row->SetFolderChooser([&answer](const std::string&) { return answer; });
  auto* field = Find<QLineEdit>("edDirectory");

  struct Case {
    std::string chosen;
    std::string shown;   // in edDirectory and under "OutPutDir" afterwards
    std::string message; // empty: none
  };
  const Case cases[] = {
      {writable, writable, ""},
      {"", writable, ""},                                            // cancelled
      {"/ab", writable, "The path /ab is not a valid directory."},  // too short for a folder
      {root_ + "/gone", fallback,
       "You login as " + TGlobalObject::LoginName() + " .You don't have permission to write to directory:" + root_ +
           "/gone"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.chosen);
    messages_.shown.clear();
    answer = c.chosen;
    Press("btnBrows");
    EXPECT_EQ(field->text().toStdString(), c.shown);
    EXPECT_EQ(ReadString(ini, "settings", "OutPutDir", ""), c.shown);
    if (c.message.empty()) {
      EXPECT_TRUE(messages_.shown.empty());
    } else {
      ASSERT_EQ(messages_.shown.size(), 1u);
      EXPECT_EQ(messages_.shown[0].caption, "Warning");
      EXPECT_EQ(messages_.shown[0].text, c.message);
    }
  }

  Press("btnOpen");
  ASSERT_EQ(opened_.size(), 1u);
  EXPECT_EQ(opened_[0], QUrl::fromLocalFile(QString::fromStdString(fallback)));
  row->ShowFolder("");
  Press("btnOpen");
  EXPECT_EQ(opened_.size(), 1u) << "an empty folder field opens nothing";
}

TEST_F(MainWindowTest, SettingsPreferenceAndFolderDialogsAreKeptAndShared) {
  Show();
  // Answers the next modal window with a click on its button `button`, after `act`.
  QStringList shown;
  const auto answer = [&shown](const char* button, std::function<void()> act = {}) {
    QTimer::singleShot(0, [&shown, button, act] {
      QWidget* modal = QApplication::activeModalWidget();
      ASSERT_NE(modal, nullptr);
      shown.push_back(modal->objectName());
      if (act) act();
      modal->findChild<QAbstractButton*>(button)->click();
    });
  };
  answer("btnCancel");
  Press("btnSettings");
  QWidget* settings = window_->findChild<QWidget*>("frmSettings");
  answer("btnCancel");
  Press("btnOptions");
  answer("btnOk");
  Find<QAction>("mniSettings")->trigger();
  EXPECT_EQ(shown, QStringList({"frmSettings", "frmSettings", "frmSettings"}));
  EXPECT_EQ(window_->findChildren<QWidget*>("frmSettings"), QList<QWidget*>{settings}) << "created once, then kept";
  EXPECT_EQ(ReadString(GlobalObject->SettingsIniName(), "formatInfo1", "Description", ""),
            "ZUNE - MPEG-4 AVC Video (*.mp4)");

  // The preferences' Brows and the window's Browse share one folder tree.
  const std::string snaps = root_ + "/snaps";
  fs::create_directories(snaps);
  answer("btnOk", [&] {
    answer("btnOk", [&] { window_->findChild<TfmDirectory*>()->SelectFolder(snaps); });
    QApplication::activeModalWidget()->findChild<QAbstractButton*>("btnBrows")->click();
  });
  Find<QToolButton>("menubtnPreference")->click();
  EXPECT_EQ(ReadString(GlobalObject->SettingsIniName(), "settings", "SnapOutPutDir", ""), snaps);
  answer("btnCancel");
  Find<QAbstractButton>("btnBrows")->click();
  EXPECT_EQ(shown.mid(3), QStringList({"frmPreference", "fmDirectory", "fmDirectory"}));
  EXPECT_EQ(window_->findChildren<TfmDirectory*>().size(), 1);
}

TEST_F(MainWindowTest, ClickOnItsButtonClosesAnOpenMenu) {
  Show();
  auto* file = Find<QToolButton>("menubtnFile");
  auto* menu = Find<QMenu>("skPopupMenuFile");
  int shown = 0;
  QObject::connect(menu, &QMenu::aboutToShow, [&] { ++shown; });

  QTimer::singleShot(50, [&] {
    EXPECT_EQ(QApplication::activePopupWidget(), menu);
    EXPECT_EQ(menu->geometry().topLeft(), file->mapToGlobal(QPoint(0, file->height())));
    // The press reaches the menu's window, which holds the mouse while it is
    // up; the release goes to the main window.
    const QPoint onButton = file->mapToGlobal(file->rect().center());
    QTest::mousePress(menu->windowHandle(), Qt::LeftButton, {}, menu->mapFromGlobal(onButton));
    QTest::qWait(20);  // a replayed press would reach the button now
    QTest::mouseRelease(window_->windowHandle(), Qt::LeftButton, {}, window_->mapFromGlobal(onButton));
    // Never hang when the click did not reach the menu.
    QTimer::singleShot(200, menu, &QMenu::close);
  });
  file->click();
  QTest::qWait(100);
  EXPECT_EQ(shown, 1);
  EXPECT_EQ(QApplication::activePopupWidget(), nullptr);

  // A menu closed another way opens again at the next click.
  QTimer::singleShot(50, [&] { menu->close(); });
  file->click();
  EXPECT_EQ(shown, 2);
}

TEST_F(MainWindowTest, EditMenuOpensOnRightButton) {
  Show();
  window_->OpenDrive(test::DiscImage("no_audio"));
  auto* menu = Find<QMenu>("skPopupMenuEdit");
  bool seen = false;
  QTimer::singleShot(50, [&] {
    seen = QApplication::activePopupWidget() == menu;
    menu->close();
  });
  QTest::mousePress(List()->viewport(), Qt::RightButton, {}, QPoint(30, 10));
  EXPECT_TRUE(seen);
  QStringList items;
  for (QAction* item : menu->actions()) items << item->text();
  EXPECT_EQ(items, QStringList({"&Crop", "&Trim", "&Video Effect && Water Mark"}));
}

TEST_F(MainWindowTest, LeftPressOutsideThePickerClosesItsList) {
  Show();
  auto* lst1 = Find<QWidget>("lst1");
  auto* imgbtn1 = Find<QWidget>("imgbtn1");
  QTest::mouseClick(imgbtn1, Qt::LeftButton);
  ASSERT_TRUE(lst1->isVisible());
  QTest::mouseClick(List()->viewport(), Qt::LeftButton, {}, QPoint(200, 40));
  EXPECT_FALSE(lst1->isVisible());
}

TEST_F(MainWindowTest, ExitAsksFirst) {
  for (const char* button : {"btnExit", "btnClose"}) {
    SCOPED_TRACE(button);
    Show();
    window_->OpenDrive(test::DiscImage("no_audio"));
    messages_.asked.clear();
    messages_.answers = {false};
    Press(button);
    ASSERT_EQ(messages_.asked.size(), 1u);
    EXPECT_EQ(messages_.asked[0].first, "Warning");
    EXPECT_EQ(messages_.asked[0].second, "Do you really want to exit?");
    EXPECT_TRUE(window_->isVisible());
    EXPECT_NE(GlobalObject, nullptr);
    EXPECT_EQ(List()->RowCount(), 1);

    messages_.answers = {true};
    Press(button);
    EXPECT_FALSE(window_->isVisible());
    EXPECT_EQ(GlobalObject, nullptr);
  }
}

}  // namespace
}  // namespace kx
