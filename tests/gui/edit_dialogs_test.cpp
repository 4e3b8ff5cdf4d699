// The trim and crop dialogs offscreen on the sample disc's first title
// (30 s, 720 × 576): what Ok stores in the job record, that Cancel stores
// nothing, the range and margin controls kept in step with each other, and
// the right-hand crop picture following a colour adjustment. The main
// window's Edit menu opens both for the selected row.
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMouseEvent>
#include <QPushButton>
#include <QSpinBox>
#include <QTest>
#include <QTimer>

#include <cstdlib>
#include <filesystem>
#include <memory>

#include "app/title_job.h"
#include "app/title_row_texts.h"
#include "app/ui/application.h"
#include "app/ui/main_window.h"
#include "app/ui/title_list.h"
#include "controls/rect_tracker.h"
#include "controls/track_bar2.h"
#include "edit/crop_dialog.h"
#include "edit/trim_dialog.h"
#include "edit/trim_range.h"
#include "support/app_environment.h"
#include "support/scripted_messages.h"
#include "support/test_env.h"

namespace kx {
namespace {


const auto* const kAppEnvironment = ::testing::AddGlobalTestEnvironment(new test::AppEnvironment<TApplication>);
TApplication& App() { return test::AppEnvironment<TApplication>::Instance(); }

class EditDialogsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    root_ = test::ScratchHomeAndConfig();
    App().SetMessageBoxes(&messages_);
    settings_ = root_ + "/config/settings.ini";
  }
  void TearDown() override { App().SetMessageBoxes(nullptr); }

  template <class T>
  static T* Find(QWidget* parent, const char* name) {
    T* control = parent->findChild<T*>(name);
    EXPECT_NE(control, nullptr) << name;
    return control;
  }
  // A left-button drag as the mouse does it, in `widget`'s coordinates.
  static void Drag(QWidget* widget, QPoint from, QPoint to) {
    const auto send = [widget](QEvent::Type type, QPoint at, Qt::MouseButtons buttons) {
      QMouseEvent event(type, at, widget->mapToGlobal(at), Qt::LeftButton, buttons, Qt::NoModifier);
      QApplication::sendEvent(widget, &event);
    };
    send(QEvent::MouseButtonPress, from, Qt::LeftButton);
    send(QEvent::MouseMove, (from + to) / 2, Qt::LeftButton);
    send(QEvent::MouseMove, to, Qt::LeftButton);
    send(QEvent::MouseButtonRelease, to, Qt::NoButton);
  }
  // Runs `act` on the next modal dialog once its event loop runs.
  static void WhenModal(std::function<void(QWidget*)> act) {
    auto* poll = new QTimer;
    QObject::connect(poll, &QTimer::timeout, [poll, act] {
      if (QWidget* dialog = QApplication::activeModalWidget()) {
        poll->deleteLater();
        poll->stop();
        act(dialog);
      }
    });
    poll->start(20);
  }
  static void Type(QLineEdit* field, const char* text) {
    field->setText(text);
    emit field->editingFinished();
  }

  std::string root_;
  std::string settings_;
  test::ScriptedMessages messages_;
};

class TrimDialogTest : public EditDialogsTest {
 protected:
  void Open(TlvFilesRecord& rec) {
    dialog_ = std::make_unique<TfrmTrim>(messages_, settings_, nullptr);
    dialog_->LoadTitle(rec, test::DiscImage("sample"));
    dialog_->show();
    ASSERT_EQ(Find<QLabel>(dialog_.get(), "lblPTS")->text(), "0:00:30");
  }
  void TearDown() override {
    dialog_.reset();
    EditDialogsTest::TearDown();
  }
  QLineEdit* Start() { return Find<QLineEdit>(dialog_.get(), "edtStart"); }
  QLineEdit* End() { return Find<QLineEdit>(dialog_.get(), "edtTrimLength"); }
  TTrackBar2* Range() { return Find<TTrackBar2>(dialog_.get(), "trcPosition"); }
  void Click(const char* button) { Find<QPushButton>(dialog_.get(), button)->click(); }

  std::unique_ptr<TfrmTrim> dialog_;
};

TEST_F(TrimDialogTest, StoredRangeIsShownAgainAndOkStoresTheNewOne) {
  struct Case {
    std::int64_t storedStart, storedLength;
    const char* shownStart;
    const char* shownEnd;
    const char* typedStart;
    const char* typedEnd;
    std::int64_t trimStart, trimLength, lengthSec;
  };
  const Case cases[] = {
      {0, 0, "0:00:00", "0:00:30", "0:00:05", "0:00:20", 5000000, 15000000, 15},
      {5000000, 10000000, "0:00:05", "0:00:15", "0:00:00", "0:00:30", 0, 0, 30},  // back to the whole title
      {12000000, 0, "0:00:12", "0:00:30", "0:00:10", "0:00:30", 10000000, 20000000, 20},
  };
  for (const Case& c : cases) {
    TlvFilesRecord rec;
    rec.TrimStart = c.storedStart;
    rec.TrimLength = c.storedLength;
    Open(rec);
    EXPECT_EQ(Start()->text(), c.shownStart);
    EXPECT_EQ(End()->text(), c.shownEnd);
    EXPECT_EQ(Range()->PositionL() * 1000000, c.storedStart);
    Type(Start(), c.typedStart);
    Type(End(), c.typedEnd);
    EXPECT_EQ(Range()->PositionU(), HMSToSeconds(c.typedEnd));
    Click("btnOk");
    EXPECT_FALSE(dialog_->isVisible());
    EXPECT_EQ(rec.TrimStart, c.trimStart) << c.typedStart;
    EXPECT_EQ(rec.TrimLength, c.trimLength) << c.typedEnd;
    EXPECT_EQ(dialog_->StoredLengthSec(), c.lengthSec);
  }
  EXPECT_TRUE(messages_.shown.empty());
}

TEST_F(TrimDialogTest, DraggingTheEndThumbMovesTheEndFieldCancelStoresNothing) {
  TlvFilesRecord rec;
  Open(rec);
  TTrackBar2* range = Range();
  const QPoint endThumb = range->ThumbRectU().center();
  Drag(range, endThumb, QPoint(range->width() / 2, endThumb.y()));
  EXPECT_LT(range->PositionU(), 30);
  EXPECT_GT(range->PositionU(), 5);
  EXPECT_EQ(End()->text().toStdString(), DurationText(range->PositionU()));
  EXPECT_EQ(Start()->text(), "0:00:00");

  Click("btnCancel");
  EXPECT_FALSE(dialog_->isVisible());
  EXPECT_EQ(rec.TrimStart, 0);
  EXPECT_EQ(rec.TrimLength, 0);
}

TEST_F(TrimDialogTest, EndBeforeStartIsRefused) {
  TlvFilesRecord rec;
  rec.TrimStart = 3000000;
  rec.TrimLength = 4000000;
  Open(rec);
  Type(Start(), "0:00:20");
  Type(End(), "0:00:10");
  Click("btnOk");
  ASSERT_EQ(messages_.shown.size(), 1u);
  EXPECT_EQ(messages_.shown[0].text, "The trim end must be later than the trim start.");
  EXPECT_TRUE(dialog_->isVisible());
  EXPECT_EQ(rec.TrimStart, 3000000);
  EXPECT_EQ(rec.TrimLength, 4000000);
  // A text that is no time is put back.
  Type(End(), "0:00:1x");
  EXPECT_EQ(End()->text(), "0:00:10");
}

class CropDialogTest : public EditDialogsTest {
 protected:
  void Open(TlvFilesRecord& rec) {
    dialog_ = std::make_unique<TfrmCrop>(settings_, nullptr);
    dialog_->LoadTitle(rec, test::DiscImage("sample"));
    dialog_->show();
    // 720 × 576 in the 420 × 303 pane: 378 wide, inset 21 at the sides.
    ASSERT_EQ(dialog_->View(), QRect(22, 1, 376, 301));
  }
  void TearDown() override {
    dialog_.reset();
    EditDialogsTest::TearDown();
  }
  QSpinBox* Box(const char* name) { return Find<QSpinBox>(dialog_.get(), name); }
  TRectTracker* Tracker() { return Find<TRectTracker>(dialog_.get(), "RectTracker"); }
  // The right-hand picture's centre, once a frame has been painted.
  QColor OutputCentre() {
    const QImage image = Find<QLabel>(dialog_.get(), "imgOutput")->pixmap().toImage();
    return image.pixelColor(image.width() / 2, image.height() / 2);
  }

  std::unique_ptr<TfrmCrop> dialog_;
};

TEST_F(CropDialogTest, MarginsAndTrackerFollowEachOtherOkStoresThem) {
  TlvFilesRecord rec;
  rec.ViewCropLeft = 30;
  Open(rec);
  EXPECT_EQ(Tracker()->geometry(), QRect(52, 1, 346, 301));

  Box("spedUp")->setValue(20);
  Box("spedRight")->setValue(6);
  EXPECT_EQ(Tracker()->geometry(), QRect(52, 21, 340, 281));
  // A margin that would leave less than the smallest side is cut back.
  Box("spedDown")->setValue(300);
  EXPECT_EQ(Box("spedDown")->value(), 0);

  // Moving the rectangle keeps its size; it stops at the picture's edges.
  const QPoint inside = Tracker()->rect().center();
  Drag(Tracker(), inside, inside + QPoint(-100, 10));
  EXPECT_EQ(Tracker()->geometry(), QRect(22, 21, 340, 281));
  EXPECT_EQ(Box("spedLeft")->value(), 0);
  EXPECT_EQ(Box("spedRight")->value(), 36);
  EXPECT_EQ(Box("spedUp")->value(), 20);
  EXPECT_EQ(Box("spedDown")->value(), 0);

  Box("spedtBrightness")->setValue(300);
  Box("spedtContrast")->setValue(-20);
  Find<TTrackBar2>(dialog_.get(), "trcExposure")->SetPositionL(40);
  EXPECT_EQ(Box("spedtExposure")->value(), 40);
  Find<QPushButton>(dialog_.get(), "btnOk")->click();
  EXPECT_EQ(rec.ViewCropTop, 20);
  EXPECT_EQ(rec.ViewCropLeft, 0);
  EXPECT_EQ(rec.ViewCropBottom, 0);
  EXPECT_EQ(rec.ViewCropRight, 36);
  EXPECT_EQ(rec.CropTop, 38);    // 20 × 576 / 301 = 38.3
  EXPECT_EQ(rec.CropRight, 68);  // 36 × 720 / 376 = 68.9 → 69, made even
  EXPECT_EQ(rec.CropLeft, 0);
  EXPECT_EQ(rec.CropBottom, 0);
  EXPECT_EQ(rec.Zoom, "full");
  EXPECT_EQ(rec.Brightness, 300);
  EXPECT_EQ(rec.Contrast, -20);
  EXPECT_EQ(rec.Saturation, kNeutralSaturation);
  EXPECT_EQ(rec.Exposure, 40);
}

TEST_F(CropDialogTest, CancelKeepsTheRecord) {
  TlvFilesRecord rec;
  rec.Zoom = "lbox";
  rec.Brightness = 200;
  Open(rec);
  EXPECT_EQ(Box("spedtBrightness")->value(), 200);
  Box("spedUp")->setValue(40);
  Box("spedtBrightness")->setValue(400);
  Find<QPushButton>(dialog_.get(), "btnCancel")->click();
  EXPECT_EQ(rec.ViewCropTop, 0);
  EXPECT_EQ(rec.CropTop, 0);
  EXPECT_EQ(rec.Brightness, 200);
  EXPECT_EQ(rec.Zoom, "lbox");
}

TEST_F(CropDialogTest, OutputPictureFollowsBrightness) {
  TlvFilesRecord rec;
  Open(rec);
  // The first seconds are dark; a brighter one shows the change better.
  const QColor pane(166, 202, 240);
  const auto level = [](QColor c) { return c.red() + c.green() + c.blue(); };
  ASSERT_TRUE(QTest::qWaitFor([&] { return OutputCentre() != pane && level(OutputCentre()) > 150; }, 20000));
  Find<QAbstractButton>(dialog_.get(), "imgbtnpause")->click();
  QTest::qWait(400);
  const QColor before = OutputCentre();
  Box("spedtBrightness")->setValue(128);  // about half of every level
  QTest::qWait(300);
  const QColor after = OutputCentre();
  EXPECT_NEAR(level(after), level(before) / 2, level(before) / 8);
  Box("spedtBrightness")->setValue(kNeutralBrightness);
  QTest::qWait(300);
  EXPECT_NEAR(level(OutputCentre()), level(before), 6);
}

// Ok of a dialog whose title did not open has nothing to store: the record
// keeps its trim, crop and adjustments.
TEST_F(EditDialogsTest, TitleThatDoesNotOpenKeepsTheRecordOnOk) {
  TlvFilesRecord rec;
  rec.TitleIndex = 7;  // the sample disc has two titles
  rec.TrimStart = 2000000;
  rec.ViewCropTop = 12;
  rec.Brightness = 300;
  {
    TfrmTrim trim(messages_, settings_, nullptr);
    trim.LoadTitle(rec, test::DiscImage("sample"));
    trim.show();
    EXPECT_FALSE(Find<QAbstractButton>(&trim, "imgbtnpause")->isEnabled());
    Find<QPushButton>(&trim, "btnOk")->click();
    EXPECT_FALSE(trim.isVisible());
  }
  {
    TfrmCrop crop(settings_, nullptr);
    crop.LoadTitle(rec, test::DiscImage("sample"));
    crop.show();
    Find<QPushButton>(&crop, "btnOk")->click();
    EXPECT_FALSE(crop.isVisible());
  }
  EXPECT_EQ(rec.TrimStart, 2000000);
  EXPECT_EQ(rec.TrimLength, 0);
  EXPECT_EQ(rec.ViewCropTop, 12);
  EXPECT_EQ(rec.Brightness, 300);
  EXPECT_TRUE(messages_.shown.empty());
}

class EditMenuTest : public EditDialogsTest {};

TEST_F(EditMenuTest, TrimAndCropFollowTheSelectionTrimOkFillsTheColumn) {
  TfrmMain window({test::DiscImage("sample")});
  window.show();
  auto* trim = Find<QAction>(&window, "mniTrim");
  auto* crop = Find<QAction>(&window, "mniCrop");
  EXPECT_FALSE(trim->isEnabled());
  window.OpenDrive(test::DiscImage("sample"));
  auto* list = Find<TTitleList>(&window, "lvFiles");
  ASSERT_EQ(list->RowCount(), 2);
  EXPECT_TRUE(trim->isEnabled());
  EXPECT_TRUE(crop->isEnabled());

  list->setCurrentItem(list->Row(1));
  WhenModal([](QWidget* dialog) {
    Type(dialog->findChild<QLineEdit*>("edtStart"), "0:00:03");
    dialog->findChild<QPushButton*>("btnOk")->click();
  });
  trim->trigger();
  EXPECT_EQ(list->Row(1)->Record.TrimStart, 3000000);
  EXPECT_EQ(list->Row(1)->text(colTrimLength), "12");  // the second title lasts 15 s

  WhenModal([](QWidget* dialog) {
    dialog->findChild<QSpinBox*>("spedLeft")->setValue(10);
    dialog->findChild<QPushButton*>("btnOk")->click();
  });
  crop->trigger();
  EXPECT_EQ(list->Row(1)->Record.ViewCropLeft, 10);
  EXPECT_EQ(list->Row(1)->Record.CropLeft, 18);  // 10 × 720 / 376 = 19.1 → 19 → 18

  window.btnClearClick();
  EXPECT_FALSE(trim->isEnabled());
  EXPECT_FALSE(crop->isEnabled());
}

}  // namespace
}  // namespace kx
