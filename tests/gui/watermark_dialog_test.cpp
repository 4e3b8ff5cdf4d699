// The watermark dialog offscreen on a real test-disc title: items are added,
// placed by dragging on the live preview and given seconds; Ok stores them
// in the title's record, Cancel stores nothing; the main window opens it.
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QFontDatabase>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMouseEvent>
#include <QPushButton>
#include <QSlider>
#include <QTest>
#include <QTimer>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>

#include "app/disc_opening.h"
#include "app/title_job.h"
#include "app/ui/application.h"
#include "app/ui/main_window.h"
#include "app/ui/title_list.h"
#include "controls/layer_view.h"
#include "controls/track_bar2.h"
#include "dvd/dvd_plug_in.h"
#include "edit/watermark_dialog.h"
#include "edit/watermark_render.h"
#include "support/app_environment.h"
#include "support/scripted_messages.h"
#include "support/test_env.h"

namespace kx {
namespace {


const auto* const kAppEnvironment = ::testing::AddGlobalTestEnvironment(new test::AppEnvironment<TApplication>);
TApplication& App() { return test::AppEnvironment<TApplication>::Instance(); }

class WatermarkDialogTest : public ::testing::Test {
 protected:
  void SetUp() override {
    root_ = test::ScratchHomeAndConfig();
    App().SetMessageBoxes(&messages_);
    ASSERT_TRUE(DVDPlugIn::IsDVDLibLoaded() || DVDPlugIn::LoadDVDLib(DVDPlugIn::ProgramLibAVFolder()));
    const std::vector<DiscTitle> titles = ReadDiscTitles(test::DiscImage("sample"), messages_);
    ASSERT_FALSE(titles.empty());
    rec_ = NewTitleJob(titles[0].TitleIndex, titles[0].Info);
  }
  void TearDown() override {
    dialog_.reset();
    App().SetMessageBoxes(nullptr);
  }

  // Opens the dialog on the title and waits until the title plays in it.
  void Open() {
    dialog_ = std::make_unique<TfrmWaterMark>(rec_, test::DiscImage("sample"), root_ + "/config/settings.ini");
    dialog_->show();
    ASSERT_TRUE(QTest::qWaitFor([&] { return Find<QSlider>("trcPreview")->value() > 0; }, 10000));
  }
  template <class T>
  T* Find(const char* name) {
    T* control = dialog_->findChild<T*>(name);
    EXPECT_NE(control, nullptr) << name;
    return control;
  }
  std::string WritePicture(const char* fileName, QSize size) {
    QImage picture(size, QImage::Format_RGB888);
    picture.fill(Qt::red);
    const std::string path = root_ + "/" + fileName;
    EXPECT_TRUE(picture.save(QString::fromStdString(path)));
    return path;
  }
  // A left-button drag on the view from `from` by `by`, in view pixels.
  void Drag(QPointF from, QPointF by) {
    auto* view = Find<TLayerView>("ImgView");
    QMouseEvent press(QEvent::MouseButtonPress, from, view->mapToGlobal(from), Qt::LeftButton, Qt::LeftButton,
                      Qt::NoModifier);
    QApplication::sendEvent(view, &press);
    QMouseEvent move(QEvent::MouseMove, from + by, view->mapToGlobal(from + by), Qt::NoButton, Qt::LeftButton,
                     Qt::NoModifier);
    QApplication::sendEvent(view, &move);
    QMouseEvent release(QEvent::MouseButtonRelease, from + by, view->mapToGlobal(from + by), Qt::LeftButton,
                        Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(view, &release);
  }

  std::string root_;
  test::ScriptedMessages messages_;
  TlvFilesRecord rec_;
  std::unique_ptr<TfrmWaterMark> dialog_;
};

TEST_F(WatermarkDialogTest, AddedItemsArePlacedTimedAndStoredByOk) {
  Open();
  auto* view = Find<TLayerView>("ImgView");
  auto* list = Find<QListWidget>("lsbox");
  auto* range = Find<TTrackBar2>("trcRange");
  EXPECT_EQ(view->PictureSize(), QSize(720, 576));
  EXPECT_FALSE(Find<QSlider>("trcTextHoriz")->isEnabled());

  Find<QPushButton>("btnAddText")->click();
  ASSERT_EQ(list->count(), 1);
  EXPECT_TRUE(Find<QSlider>("trcTextHoriz")->isEnabled());
  EXPECT_NEAR(view->Layer(0).Location.center().x(), 360, 1);
  EXPECT_NEAR(view->Layer(0).Location.center().y(), 288, 1);
  // A new text keeps its top-left corner and takes the size it needs.
  const QPointF corner = view->Layer(0).Location.topLeft();
  auto* editor = Find<QLineEdit>("edt1");
  ASSERT_TRUE(editor->isVisible());
  editor->selectAll();
  QTest::keyClicks(editor, "Kestrix");
  EXPECT_EQ(list->item(0)->text(), "Kestrix");
  const QRectF placed = view->Layer(0).Location;
  EXPECT_EQ(placed.topLeft(), corner);

  // Dragging by a view distance moves the item by that distance in picture pixels.
  const QRectF shown = view->PictureToView(placed);
  const double scale = shown.width() / placed.width();
  Drag(shown.center(), QPointF(-100 * scale, 50 * scale));
  const QRectF moved = view->Layer(0).Location;
  EXPECT_NEAR(moved.left(), placed.left() - 100, 0.5);
  EXPECT_NEAR(moved.top(), placed.top() + 50, 0.5);
  EXPECT_EQ(Find<QSlider>("trcTextHoriz")->value(), std::lround(moved.left()));

  // Seconds far ahead of the playing ones hide the layer in the live preview.
  const int last = range->Max();
  ASSERT_GE(last, 29);
  range->SetPositionU(last);
  range->SetPositionL(last - 1);
  EXPECT_TRUE(QTest::qWaitFor([&] { return !view->Layer(0).Visible; }, 5000));
  range->SetPositionL(0);
  for (int i = 0; i < 3; ++i) Find<QPushButton>("btnStartUp1")->click();
  Find<QPushButton>("btnStartUpEndDown")->click();
  EXPECT_EQ(Find<QLineEdit>("edtStart")->text(), "0:00:03");

  const std::string picture = WritePicture("mark.png", QSize(40, 30));
  dialog_->ChooseImageFile = [&] { return picture; };
  Find<QPushButton>("btnAddImage")->click();
  ASSERT_EQ(list->count(), 2);
  EXPECT_EQ(list->item(1)->text(), "mark.png");
  Find<QSlider>("trcTextTran")->setValue(200);

  Find<QPushButton>("btnOk")->click();
  ASSERT_EQ(rec_.WaterMarks.size(), 2u);
  const TWmRec& text = rec_.WaterMarks[0];
  EXPECT_EQ(text.Kind, kWmText);
  EXPECT_EQ(text.Text, "Kestrix");
  EXPECT_EQ(text.Font.Name, QFontDatabase::families().value(0).toStdString());
  EXPECT_EQ(text.Font.Size, 26);
  EXPECT_EQ(text.Font.Color, 0x0000FFu);
  EXPECT_EQ(text.BackColor, 0x008000u);
  EXPECT_FALSE(text.FillBack);
  EXPECT_EQ(text.TextAlpha, 125);
  EXPECT_EQ(text.TextLeft, std::lround(moved.left()));
  EXPECT_EQ(text.TextTop, std::lround(moved.top()));
  EXPECT_EQ(QSize(text.TextWidth, text.TextHeight), TextExtent(text.Font, "Kestrix"));
  EXPECT_EQ(text.StartSec, 3);
  EXPECT_EQ(text.EndSec, last - 1);
  const TWmRec& image = rec_.WaterMarks[1];
  EXPECT_EQ(image.Kind, kWmImage);
  EXPECT_EQ(image.ImageFile, picture);
  EXPECT_EQ(QRect(image.ImageLeft, image.ImageTop, image.ImageWidth, image.ImageHeight), QRect(340, 273, 40, 30));
  EXPECT_EQ(image.ImageAlpha, 200);
  EXPECT_EQ(image.StartSec, 0);
  EXPECT_EQ(image.EndSec, last);
}

TEST_F(WatermarkDialogTest, StoredItemsReopenAndCancelWritesNothing) {
  TWmRec text;
  text.Text = "Night";
  text.Font = TFont{"DejaVu Sans", 20, TFontStyle::Bold, 0xFF0000};
  text.TextLeft = 30;
  text.TextTop = 40;
  text.TextWidth = 200;  // a size given by dragging
  text.TextHeight = 60;
  text.TextAlpha = 90;
  text.FillBack = true;
  text.BackColor = 0x000080;
  text.StartSec = 5;
  text.EndSec = 9;
  rec_.WaterMarks = {text};
  Open();
  auto* view = Find<TLayerView>("ImgView");
  ASSERT_EQ(Find<QListWidget>("lsbox")->count(), 1);
  EXPECT_EQ(view->Layer(0).Location, QRectF(30, 40, 200, 60));
  EXPECT_EQ(Find<QSlider>("trcTextTran")->value(), 90);
  EXPECT_EQ(Find<QLineEdit>("edtEnd")->text(), "0:00:09");

  // A new size measures the text anew and replaces the dragged box.
  Find<QComboBox>("skFontSizeCmb")->setCurrentText("30");
  TFont bigger = text.Font;
  bigger.Size = 30;
  EXPECT_EQ(view->Layer(0).Location, QRectF(QPointF(30, 40), QSizeF(TextExtent(bigger, "Night"))));

  Find<QPushButton>("btnAddText")->click();
  Find<QPushButton>("btnCancel")->click();
  ASSERT_EQ(rec_.WaterMarks.size(), 1u);
  EXPECT_EQ(rec_.WaterMarks[0].Text, "Night");
  EXPECT_EQ(rec_.WaterMarks[0].TextWidth, 200);

  // Ok without changes keeps every field of the stored item.
  Open();
  Find<QPushButton>("btnOk")->click();
  ASSERT_EQ(rec_.WaterMarks.size(), 1u);
  const TWmRec& kept = rec_.WaterMarks[0];
  EXPECT_EQ(QRect(kept.TextLeft, kept.TextTop, kept.TextWidth, kept.TextHeight), QRect(30, 40, 200, 60));
  EXPECT_EQ(kept.Font.Name, "DejaVu Sans");
  EXPECT_EQ(kept.Font.Style, TFontStyle::Bold);
  EXPECT_EQ(kept.Font.Color, 0xFF0000u);
  EXPECT_TRUE(kept.FillBack);
  EXPECT_EQ(kept.BackColor, 0x000080u);
  EXPECT_EQ(kept.TextAlpha, 90);
  EXPECT_EQ(kept.StartSec, 5);
  EXPECT_EQ(kept.EndSec, 9);
}

TEST_F(WatermarkDialogTest, UnreadablePictureIsReportedAndAddsNothing) {
  Open();
  const std::string broken = root_ + "/broken.bmp";
  std::ofstream(broken) << "not a picture";
  dialog_->ChooseImageFile = [&] { return broken; };
  QTest::mouseClick(Find<QPushButton>("btnAddImage"), Qt::LeftButton);
  ASSERT_EQ(messages_.shown.size(), 1u);
  EXPECT_EQ(messages_.shown[0].text, "Cannot read the picture file " + broken + ".");
  EXPECT_EQ(Find<QListWidget>("lsbox")->count(), 0);
  EXPECT_EQ(Find<TLayerView>("ImgView")->LayerCount(), 0);
}

TEST_F(WatermarkDialogTest, UpDownAndDeleteKeepListAndLayersInStep) {
  Open();
  auto* list = Find<QListWidget>("lsbox");
  auto* view = Find<TLayerView>("ImgView");
  for (const char* text : {"a", "bb", "ccc"}) {
    Find<QPushButton>("btnAddText")->click();
    auto* editor = Find<QLineEdit>("edt1");
    editor->selectAll();
    QTest::keyClicks(editor, text);
  }
  const double widthOf[] = {view->Layer(0).Location.width(), view->Layer(1).Location.width(),
                            view->Layer(2).Location.width()};
  struct Step {
    const char* button;
    int row;
    std::vector<std::string> entries;
    std::vector<int> widths;  // index into widthOf, layer by layer
  };
  const Step steps[] = {{"btnDown", 2, {"a", "bb", "ccc"}, {0, 1, 2}},  // Down on the last does nothing
                        {"btnUp", 1, {"a", "ccc", "bb"}, {0, 2, 1}},
                        {"btnUp", 0, {"ccc", "a", "bb"}, {2, 0, 1}},
                        {"btnUp", 0, {"ccc", "a", "bb"}, {2, 0, 1}},  // Up on the first does nothing
                        {"btnDelete", 0, {"a", "bb"}, {0, 1}},
                        {"btnDelete", 0, {"bb"}, {1}},
                        {"btnDelete", -1, {}, {}}};
  for (const Step& step : steps) {
    Find<QPushButton>(step.button)->click();
    EXPECT_EQ(list->currentRow(), step.row) << step.button;
    ASSERT_EQ(list->count(), static_cast<int>(step.entries.size()));
    ASSERT_EQ(view->LayerCount(), static_cast<int>(step.widths.size()));
    for (int i = 0; i < list->count(); ++i) {
      EXPECT_EQ(list->item(i)->text().toStdString(), step.entries[i]);
      EXPECT_EQ(view->Layer(i).Location.width(), widthOf[step.widths[i]]);
    }
  }
  EXPECT_FALSE(Find<QSlider>("trcTextHoriz")->isEnabled());
}

TEST_F(WatermarkDialogTest, MainWindowOpensItForTheSelectedTitleOnly) {
  TfrmMain window({test::DiscImage("sample")});
  window.show();
  auto* menu = window.findChild<QMenu*>("skPopupMenuEdit");
  ASSERT_NE(menu, nullptr);
  QAction* item = nullptr;
  for (QAction* action : menu->actions())
    if (action->objectName() == "mniVideoEffect") item = action;
  ASSERT_NE(item, nullptr);
  emit menu->aboutToShow();
  EXPECT_FALSE(item->isEnabled());

  window.OpenDrive(test::DiscImage("sample"));
  emit menu->aboutToShow();
  ASSERT_TRUE(item->isEnabled());
  std::string caption;
  QTimer::singleShot(0, [&] {
    QWidget* dialog = QApplication::activeModalWidget();
    if (dialog == nullptr) return;
    caption = dialog->windowTitle().toStdString();
    dialog->findChild<QPushButton*>("btnCancel")->click();
  });
  item->trigger();
  EXPECT_EQ(caption, "Water Mark");
}

}  // namespace
}  // namespace kx
