// The dual-thumb track bar offscreen: positions after setters, clicks, drags
// and keys at the edges of the range and against the other thumb, the
// OnChange signals they raise, and what the bar draws.
#include "controls/track_bar2.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QImage>
#include <QPainter>
#include <QSignalSpy>
#include <QTest>
#include <memory>
#include <vector>

namespace kx {
namespace {

class AppEnvironment : public ::testing::Environment {
 public:
  void SetUp() override {
    app_ = std::make_unique<QApplication>(argc_, argv_);
    qRegisterMetaType<QPainter*>();
  }
  void TearDown() override { app_.reset(); }

 private:
  int argc_ = 1;
  char name_[20] = "track_bar2_test";
  char* argv_[2] = {name_, nullptr};
  std::unique_ptr<QApplication> app_;
};
const auto* const kAppEnvironment = ::testing::AddGlobalTestEnvironment(new AppEnvironment);

struct Positions {
  bool second;
  int lower;
  int upper;
};

// The bar of the position and range bars: 380 × 20, owner-drawn 15-pixel
// thumbs, 0 … 380, so L = 365 and a value v is drawn at 365 × v / 380.
std::unique_ptr<TTrackBar2> OwnerDrawnBar(Positions start) {
  auto bar = std::make_unique<TTrackBar2>();
  bar->resize(380, 20);
  bar->SetThumbStyle(TThumbStyle::tsUserDrawn);
  bar->SetThumbSize(15);
  bar->SetMax(380);
  bar->SetSecondThumb(start.second);
  bar->SetPositionU(start.upper);
  bar->SetPositionL(start.lower);
  bar->SetPositionU(start.upper);
  bar->show();
  bar->activateWindow();
  EXPECT_TRUE(QTest::qWaitForWindowActive(bar.get()));
  return bar;
}

// --- Setters ----------------------------------------------------------------

enum class Setter { PositionL, PositionU, Min, Max };

struct SetterCase {
  const char* name;
  Positions start;  // on a default bar, 0 … 20
  Setter setter;
  int value;
  int lower;
  int upper;
  int changes;
};
void PrintTo(const SetterCase& c, std::ostream* os) { *os << c.name; }

class TrackBarSetters : public ::testing::TestWithParam<SetterCase> {};

TEST_P(TrackBarSetters, KeepTheRangeAndTheOrderOfTheThumbs) {
  const SetterCase& c = GetParam();
  TTrackBar2 bar;
  bar.SetSecondThumb(c.start.second);
  bar.SetPositionU(c.start.upper);
  bar.SetPositionL(c.start.lower);
  ASSERT_EQ(bar.PositionL(), c.start.lower);
  ASSERT_EQ(bar.PositionU(), c.start.upper);
  QSignalSpy changes(&bar, &TTrackBar2::OnChange);
  switch (c.setter) {
    case Setter::PositionL: bar.SetPositionL(c.value); break;
    case Setter::PositionU: bar.SetPositionU(c.value); break;
    case Setter::Min: bar.SetMin(c.value); break;
    case Setter::Max: bar.SetMax(c.value); break;
  }
  EXPECT_EQ(bar.PositionL(), c.lower);
  EXPECT_EQ(bar.PositionU(), c.upper);
  EXPECT_EQ(changes.count(), c.changes);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, TrackBarSetters,
    ::testing::Values(
        SetterCase{"LowerMoves", {true, 2, 10}, Setter::PositionL, 5, 5, 10, 1},
        SetterCase{"LowerOntoUpperStopsBelowIt", {true, 2, 10}, Setter::PositionL, 10, 9, 10, 1},
        SetterCase{"LowerPastUpperStopsBelowIt", {true, 2, 10}, Setter::PositionL, 30, 9, 10, 1},
        SetterCase{"LowerBelowMin", {true, 2, 10}, Setter::PositionL, -5, 0, 10, 1},
        SetterCase{"UpperOntoLowerStopsAboveIt", {true, 5, 10}, Setter::PositionU, 5, 5, 6, 1},
        SetterCase{"UpperBelowLowerStopsAboveIt", {true, 5, 10}, Setter::PositionU, -3, 5, 6, 1},
        SetterCase{"UpperAboveMax", {true, 5, 10}, Setter::PositionU, 99, 5, 20, 1},
        SetterCase{"SameValueIsNoChange", {true, 5, 10}, Setter::PositionL, 5, 5, 10, 0},
        SetterCase{"ClampedToSameValueIsNoChange", {true, 0, 10}, Setter::PositionL, -4, 0, 10, 0},
        SetterCase{"UpperHeldByLowerIsNoChange", {true, 9, 10}, Setter::PositionU, 9, 9, 10, 0},
        SetterCase{"SingleLowerAboveMax", {false, 5, 10}, Setter::PositionL, 25, 20, 10, 1},
        SetterCase{"SingleLowerPassesUnusedUpper", {false, 5, 10}, Setter::PositionL, 15, 15, 10, 1},
        SetterCase{"SingleUpperStillAboveLower", {false, 5, 10}, Setter::PositionU, 2, 5, 6, 1},
        SetterCase{"MaxBelowUpperLowersIt", {true, 2, 10}, Setter::Max, 8, 2, 8, 0},
        SetterCase{"MaxBelowBothKeepsThemApart", {true, 7, 10}, Setter::Max, 5, 4, 5, 0},
        SetterCase{"MinAboveLowerRaisesIt", {true, 2, 10}, Setter::Min, 4, 4, 10, 0},
        SetterCase{"MinAboveBothKeepsThemApart", {true, 2, 10}, Setter::Min, 15, 15, 16, 0},
        SetterCase{"SingleMaxBelowLowerLowersIt", {false, 15, 18}, Setter::Max, 12, 12, 13, 0}),
    [](const auto& info) { return std::string(info.param.name); });

// --- Mouse --------------------------------------------------------------------

struct MouseCase {
  const char* name;
  Positions start;
  bool shift;
  int pressX;
  std::vector<int> moveXs;  // while the button is down
  int lower;
  int upper;
  int changes;
};
void PrintTo(const MouseCase& c, std::ostream* os) { *os << c.name; }

class TrackBarMouse : public ::testing::TestWithParam<MouseCase> {};

TEST_P(TrackBarMouse, PressesAndDragsMoveTheRightThumb) {
  const MouseCase& c = GetParam();
  auto bar = OwnerDrawnBar(c.start);
  QSignalSpy changes(bar.get(), &TTrackBar2::OnChange);
  const Qt::KeyboardModifiers modifiers = c.shift ? Qt::ShiftModifier : Qt::NoModifier;
  QTest::mousePress(bar.get(), Qt::LeftButton, modifiers, QPoint(c.pressX, 10));
  EXPECT_TRUE(bar->hasFocus());
  int lastX = c.pressX;
  for (int x : c.moveXs) {
    QTest::mouseMove(bar.get(), QPoint(x, 10));
    lastX = x;
  }
  QTest::mouseRelease(bar.get(), Qt::LeftButton, modifiers, QPoint(lastX, 10));
  EXPECT_EQ(bar->PositionL(), c.lower);
  EXPECT_EQ(bar->PositionU(), c.upper);
  EXPECT_EQ(changes.count(), c.changes);
  EXPECT_FALSE(bar->TrackingL());
  EXPECT_FALSE(bar->TrackingU());
}

// Value v is drawn from 365 × v / 380 to 15 pixels on; a pixel x stands for
// (x − 7) × 380 / 365.
INSTANTIATE_TEST_SUITE_P(
    Cases, TrackBarMouse,
    ::testing::Values(
        MouseCase{"ClickJumps", {false, 100, 101}, false, 200, {}, 200, 101, 1},
        MouseCase{"ClickBeforeTheStartGivesMin", {false, 100, 101}, false, 2, {}, 0, 101, 1},
        MouseCase{"ClickAtTheEndGivesMax", {false, 100, 101}, false, 379, {}, 380, 101, 1},
        MouseCase{"ShiftClickLeftStepsDown", {false, 100, 101}, true, 50, {}, 99, 101, 1},
        MouseCase{"ShiftClickRightStepsUp", {false, 100, 101}, true, 300, {}, 101, 101, 1},
        MouseCase{"ShiftClickOnTheThumbDoesNothing", {false, 100, 101}, true, 100, {}, 100, 101, 0},
        MouseCase{"DragFollowsTheMouse", {false, 100, 101}, false, 103, {150, 257}, 260, 101, 2},
        MouseCase{"DragPastTheEndStopsAtMax", {false, 100, 101}, false, 103, {700}, 380, 101, 1},
        MouseCase{"DragPastTheStartStopsAtMin", {false, 100, 101}, false, 103, {-80}, 0, 101, 1},
        MouseCase{"RangeClickLeftOfLowerMovesLower", {true, 100, 200}, false, 60, {}, 55, 200, 1},
        MouseCase{"RangeClickNearLowerMovesLower", {true, 100, 200}, false, 140, {}, 138, 200, 1},
        MouseCase{"RangeClickNearUpperMovesUpper", {true, 100, 200}, false, 170, {}, 100, 169, 1},
        MouseCase{"RangeClickRightOfUpperMovesUpper", {true, 100, 200}, false, 300, {}, 100, 305, 1},
        MouseCase{"RangeLowerDraggedOntoUpperStopsBelowIt", {true, 100, 200}, false, 103, {250, 400}, 199, 200, 1},
        MouseCase{"RangeUpperDraggedOntoLowerStopsAboveIt", {true, 100, 200}, false, 199, {50, -40}, 100, 101, 1},
        MouseCase{"RangeUpperDraggedPastTheEndStopsAtMax", {true, 100, 200}, false, 199, {500}, 100, 380, 1}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(TrackBarMouse, RectangleThumbStaysUnderTheMouseWhileDragged) {
  TTrackBar2 bar;  // 500 × 50, raised rectangle thumbs, 0 … 20
  bar.show();
  // The middle pixel of a thumb stands exactly for its value.
  const auto middle = [](const QRect& thumb) { return QPoint(thumb.left() + thumb.width() / 2, thumb.center().y()); };
  const QPoint grip = middle(bar.ThumbRectL());
  QTest::mousePress(&bar, Qt::LeftButton, {}, grip);
  QTest::mouseMove(&bar, grip + QPoint(1, 0));
  EXPECT_EQ(bar.PositionL(), 0);
  EXPECT_TRUE(bar.TrackingL());
  const QRect at13 = [] {
    TTrackBar2 probe;
    probe.SetPositionL(13);
    return probe.ThumbRectL();
  }();
  QTest::mouseMove(&bar, middle(at13));
  QTest::mouseRelease(&bar, Qt::LeftButton, {}, middle(at13));
  EXPECT_EQ(bar.PositionL(), 13);
  EXPECT_EQ(bar.ThumbRectL(), at13);
}

TEST(TrackBarMouse, RightButtonOnlyTakesTheFocus) {
  auto bar = OwnerDrawnBar({false, 100, 101});
  QTest::mouseClick(bar.get(), Qt::RightButton, {}, QPoint(300, 10));
  EXPECT_TRUE(bar->hasFocus());
  EXPECT_EQ(bar->PositionL(), 100);
}

TEST(TrackBarMouse, NegativeMinimumSpreadsOverTheWholeBar) {
  TTrackBar2 bar;
  bar.SetMin(-100);
  bar.SetMax(100);
  bar.show();
  QTest::mouseClick(&bar, Qt::LeftButton, {}, QPoint(0, 25));
  EXPECT_EQ(bar.PositionL(), -100);
  EXPECT_TRUE(bar.rect().contains(bar.ThumbRectL()));
  QTest::mouseClick(&bar, Qt::LeftButton, {}, QPoint(250, 25));
  EXPECT_EQ(bar.PositionL(), 0);
  QTest::mouseClick(&bar, Qt::LeftButton, {}, QPoint(499, 25));
  EXPECT_EQ(bar.PositionL(), 100);
  EXPECT_TRUE(bar.rect().contains(bar.ThumbRectL()));
}

TEST(TrackBarMouse, VerticalBarHasMaxAtTheTop) {
  TTrackBar2 bar;
  bar.resize(50, 500);
  bar.show();
  EXPECT_EQ(bar.Orientation(), TOrientation::toVertical);
  QTest::mouseClick(&bar, Qt::LeftButton, {}, QPoint(25, 0));
  EXPECT_EQ(bar.PositionL(), 20);
  QTest::mouseClick(&bar, Qt::LeftButton, {}, QPoint(25, 499));
  EXPECT_EQ(bar.PositionL(), 0);
  QTest::keyClick(&bar, Qt::Key_Up);
  EXPECT_EQ(bar.PositionL(), 1);
  EXPECT_GT(bar.ThumbRectL().top(), 400);
  bar.SetOrientation(TOrientation::toHorizontal);
  EXPECT_EQ(bar.size(), QSize(500, 50));
  EXPECT_EQ(bar.Orientation(), TOrientation::toHorizontal);
}

// --- Keyboard -------------------------------------------------------------------

struct KeyCase {
  const char* name;
  Positions start;  // on a default bar, 0 … 20, small step 1, large step 2
  Qt::Key key;
  bool shift;
  int lower;
  int upper;
};
void PrintTo(const KeyCase& c, std::ostream* os) { *os << c.name; }

class TrackBarKeys : public ::testing::TestWithParam<KeyCase> {};

TEST_P(TrackBarKeys, StepTheThumbWithinItsLimits) {
  const KeyCase& c = GetParam();
  TTrackBar2 bar;
  bar.SetSecondThumb(c.start.second);
  bar.SetPositionU(c.start.upper);
  bar.SetPositionL(c.start.lower);
  bar.show();
  bar.setFocus();
  QTest::keyClick(&bar, c.key, c.shift ? Qt::ShiftModifier : Qt::NoModifier);
  EXPECT_EQ(bar.PositionL(), c.lower);
  EXPECT_EQ(bar.PositionU(), c.upper);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, TrackBarKeys,
    ::testing::Values(KeyCase{"RightSteps", {false, 5, 10}, Qt::Key_Right, false, 6, 10},
                      KeyCase{"UpSteps", {false, 5, 10}, Qt::Key_Up, false, 6, 10},
                      KeyCase{"LeftSteps", {false, 5, 10}, Qt::Key_Left, false, 4, 10},
                      KeyCase{"DownSteps", {false, 5, 10}, Qt::Key_Down, false, 4, 10},
                      KeyCase{"PageUpJumps", {false, 5, 10}, Qt::Key_PageUp, false, 7, 10},
                      KeyCase{"PageDownJumps", {false, 5, 10}, Qt::Key_PageDown, false, 3, 10},
                      KeyCase{"LeftAtMinStays", {false, 0, 10}, Qt::Key_Left, false, 0, 10},
                      KeyCase{"PageUpNearMaxStopsAtMax", {false, 19, 20}, Qt::Key_PageUp, false, 20, 20},
                      KeyCase{"ShiftWithoutSecondThumbMovesLower", {false, 5, 10}, Qt::Key_Right, true, 6, 10},
                      KeyCase{"ShiftMovesUpper", {true, 5, 10}, Qt::Key_Right, true, 5, 11},
                      KeyCase{"ShiftPageDownStopsAboveLower", {true, 5, 6}, Qt::Key_PageDown, true, 5, 6},
                      KeyCase{"LowerStopsBelowUpper", {true, 9, 10}, Qt::Key_PageUp, false, 9, 10}),
    [](const auto& info) { return std::string(info.param.name); });

// --- Drawing ------------------------------------------------------------------

TEST(TrackBarDrawing, OwnerDrawnThumbsAreAskedForAtTheirValues) {
  auto bar = OwnerDrawnBar({true, 100, 200});
  QSignalSpy thumbs(bar.get(), &TTrackBar2::OnDrawThumb);
  QSignalSpy tracks(bar.get(), &TTrackBar2::OnDrawTrack);
  bar->SetTrackStyle(TTrackStyle::trUserDrawn);
  bar->grab();
  ASSERT_EQ(thumbs.count(), 2);
  EXPECT_EQ(thumbs[0][1].toInt(), 96);  // lower first
  EXPECT_EQ(thumbs[0][2].toInt(), 3);
  EXPECT_EQ(thumbs[1][1].toInt(), 192);
  EXPECT_EQ(tracks.count(), 1);
}

TEST(TrackBarDrawing, DisabledTrackIsHatchedWhateverItsColour) {
  TTrackBar2 bar;
  bar.SetTrackStyle(TTrackStyle::trFlat);
  bar.SetTrackColor(Qt::red);
  bar.SetTickStyle(TTickStyle::tiUserDrawn);
  const QPoint inTrack = bar.TrackRect().center() + QPoint(100, 0);
  EXPECT_EQ(bar.grab().toImage().pixelColor(inTrack), QColor(Qt::red));
  bar.setEnabled(false);
  const QImage disabled = bar.grab().toImage();
  const QColor silver(192, 192, 192);
  const QColor a = disabled.pixelColor(inTrack);
  const QColor b = disabled.pixelColor(inTrack + QPoint(1, 0));
  EXPECT_TRUE((a == QColor(Qt::white) && b == silver) || (a == silver && b == QColor(Qt::white)))
      << a.name().toStdString() << " " << b.name().toStdString();
}

TEST(TrackBarDrawing, BuiltInThumbsAndDividerAreDrawnAtTheirRectangles) {
  TTrackBar2 bar;
  bar.SetTickStyle(TTickStyle::tiUserDrawn);
  bar.SetThumbColor(Qt::blue);
  bar.SetSecondThumb(true);
  bar.SetPositionU(15);
  bar.SetPositionL(3);
  const QImage picture = bar.grab().toImage();
  EXPECT_EQ(picture.pixelColor(bar.ThumbRectL().center()), QColor(Qt::blue));
  EXPECT_EQ(picture.pixelColor(bar.ThumbRectU().center()), QColor(Qt::blue));
  const int divider = (bar.ThumbRectL().right() + 1 + bar.ThumbRectU().left()) / 2;
  EXPECT_EQ(picture.pixelColor(divider, bar.TrackRect().center().y()), QColor(Qt::black));
}

}  // namespace
}  // namespace kx
