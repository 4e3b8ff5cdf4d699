// The profile picker offscreen: opening and sizing the list, groups that
// expand and collapse under the mouse, choosing a profile, the drawn colours.
#include "profiles/ui/profile_picker.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QImage>
#include <QLineEdit>
#include <QListWidget>
#include <QSignalSpy>
#include <QTest>
#include <QToolButton>
#include <QVBoxLayout>
#include <memory>
#include <string>
#include <vector>

#include "app/settings_store.h"
#include "support/app_environment.h"
#include "support/test_env.h"

namespace kx {
namespace {

const auto* const kAppEnvironment = ::testing::AddGlobalTestEnvironment(new test::AppEnvironment<QApplication>);

// A window with a picker at its bottom edge, as the main window has it, or
// at its top, as the settings dialog has it.
class PickerTest : public ::testing::Test {
 protected:
  void Make(ProfilePicker::Choice choice, ProfilePicker::Opening opening, std::vector<int> expandedGroups = {}) {
    ini_ = test::ScratchDir(::testing::UnitTest::GetInstance()->current_test_info()->name()) + "/settings.ini";
    for (int group : expandedGroups) WriteBool(ini_, "lstformat", std::to_string(group), false);
    window_ = std::make_unique<QWidget>();
    window_->resize(400, 600);
    auto* layout = new QVBoxLayout(window_.get());
    picker_ = new ProfilePicker(ini_, choice, opening);
    if (opening == ProfilePicker::Opening::Above) layout->addStretch();
    layout->addWidget(picker_);
    if (opening == ProfilePicker::Opening::Below) layout->addStretch();
    window_->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(window_.get()));
    picker_->Rebuild();
    field_ = window_->findChild<QLineEdit*>("edt1");
    arrow_ = window_->findChild<QToolButton*>("imgbtn1");
    list_ = window_->findChild<QListWidget*>("lst1");
    ASSERT_TRUE(field_ && arrow_ && list_);
  }

  // A press on list row `row`, `x` pixels from its left edge.
  void PressRow(int row, int x) {
    const QRect rect = list_->visualItemRect(list_->item(row));
    QTest::mousePress(list_->viewport(), Qt::LeftButton, {}, QPoint(rect.left() + x, rect.center().y()));
  }
  int RowOf(const char* text) {
    const auto found = list_->findItems(text, Qt::MatchExactly);
    return found.isEmpty() ? -1 : list_->row(found.front());
  }

  std::string ini_;
  std::unique_ptr<QWidget> window_;
  ProfilePicker* picker_ = nullptr;
  QLineEdit* field_ = nullptr;
  QToolButton* arrow_ = nullptr;
  QListWidget* list_ = nullptr;
};

TEST_F(PickerTest, MainWindowChoiceIsStoredAtOnce) {
  Make(ProfilePicker::Choice::StoreAtOnce, ProfilePicker::Opening::Above);
  EXPECT_EQ(field_->text(), "ZUNE - MPEG-4 AVC Video (*.mp4)");
  EXPECT_EQ(list_->count(), 3);
  EXPECT_FALSE(list_->isVisible());

  QTest::mouseClick(arrow_, Qt::LeftButton);
  ASSERT_TRUE(list_->isVisible());
  EXPECT_EQ(list_->height(), 3 * 20 + 20);
  EXPECT_EQ(list_->geometry().bottom() + 1, field_->mapTo(window_.get(), QPoint(0, 0)).y());

  // Only the leftmost 20 pixels of a heading toggle it.
  PressRow(1, 25);
  EXPECT_EQ(list_->count(), 3);
  PressRow(1, 5);
  EXPECT_EQ(list_->count(), 13);
  ASSERT_TRUE(list_->isVisible());

  QSignalSpy chosen(picker_, &ProfilePicker::profileChosen);
  PressRow(RowOf("AVI Video (*.avi)"), 40);
  EXPECT_FALSE(list_->isVisible());
  EXPECT_EQ(field_->text(), "AVI Video (*.avi)");
  EXPECT_EQ(ReadString(ini_, "settings", "FormatName", ""), "AVI Video (*.avi)");
  EXPECT_EQ(ReadString(ini_, "settings", "FormatCode", ""), "104");
  ASSERT_EQ(chosen.count(), 1);
  EXPECT_EQ(chosen.front().at(1).toInt(), 104);

  // Group states reach the file only on request.
  EXPECT_EQ(ReadString(ini_, "lstformat", "1", "none"), "none");
  picker_->SaveGroupStates();
  EXPECT_EQ(ReadString(ini_, "lstformat", "0", ""), "1");
  EXPECT_EQ(ReadString(ini_, "lstformat", "1", ""), "0");

  // Opening again selects the stored profile's row.
  QTest::mouseClick(field_, Qt::LeftButton);
  ASSERT_TRUE(list_->isVisible());
  EXPECT_EQ(list_->currentRow(), RowOf("AVI Video (*.avi)"));
  QTest::mouseClick(arrow_, Qt::LeftButton);
  EXPECT_FALSE(list_->isVisible());
}

TEST_F(PickerTest, ListIsCappedAndHidesOnAPressElsewhere) {
  Make(ProfilePicker::Choice::StoreAtOnce, ProfilePicker::Opening::Above, {0, 1, 2});
  ASSERT_EQ(list_->count(), 23);
  QTest::mouseClick(arrow_, Qt::LeftButton);
  EXPECT_EQ(list_->height(), 422);  // 23 rows × 20 is more than 422

  QTest::mousePress(window_.get(), Qt::LeftButton, {}, QPoint(5, 5));
  EXPECT_FALSE(list_->isVisible());
}

TEST_F(PickerTest, SettingsDialogChoiceWaitsForOk) {
  Make(ProfilePicker::Choice::Deferred, ProfilePicker::Opening::Below, {2});

  QTest::mouseClick(arrow_, Qt::LeftButton);
  ASSERT_TRUE(list_->isVisible());
  EXPECT_EQ(list_->height(), 10 * 20 + 20);
  EXPECT_EQ(list_->geometry().top(), field_->mapTo(window_.get(), QPoint(0, field_->height() - 1)).y());

  // A double click toggles a heading wherever it lands.
  const int heading = RowOf("General Video formates");
  const QRect rect = list_->visualItemRect(list_->item(heading));
  QTest::mouseDClick(list_->viewport(), Qt::LeftButton, {}, QPoint(rect.left() + 100, rect.center().y()));
  EXPECT_EQ(list_->count(), 20);

  PressRow(RowOf("OGG Vorbis Audio Codec (*.ogg)"), 40);
  EXPECT_EQ(picker_->SelectedCode(), 205);
  EXPECT_EQ(picker_->SelectedName(), "OGG Vorbis Audio Codec (*.ogg)");
  EXPECT_EQ(field_->text(), "OGG Vorbis Audio Codec (*.ogg)");
  EXPECT_EQ(ReadString(ini_, "settings", "FormatCode", "none"), "none");
}

TEST_F(PickerTest, RowsAreDrawnInThePickerColours) {
  Make(ProfilePicker::Choice::StoreAtOnce, ProfilePicker::Opening::Above, {0});
  QTest::mouseClick(arrow_, Qt::LeftButton);  // the current profile's row is selected
  ASSERT_EQ(list_->currentRow(), RowOf("ZUNE - MPEG-4 AVC Video (*.mp4)"));
  const QImage image = list_->viewport()->grab().toImage();
  const QRect selected = list_->visualItemRect(list_->currentItem());
  const QRect other = list_->visualItemRect(list_->item(RowOf("ZUNE - MPEG-4 Video (*.mp4)")));
  EXPECT_EQ(QColor(image.pixel(selected.left() + 4, selected.top() + 4)), QColor(185, 204, 236));
  EXPECT_EQ(QColor(image.pixel(selected.left() + 1, selected.top() + 1)), QColor(122, 160, 218));
  EXPECT_EQ(QColor(image.pixel(other.left() + 4, other.top() + 4)), QColor(246, 247, 248));
  EXPECT_EQ(QColor(image.pixel(other.right() - 2, other.top() + 1)), QColor(246, 247, 248));
}

}  // namespace
}  // namespace kx
