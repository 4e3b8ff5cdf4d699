// The rectangle tracker offscreen: which handle a press takes, how drags
// move and resize it within its minimum size and limit, OnChange, the
// attached control, the cursors and the drawn handles.
#include "support/app_environment.h"
#include "controls/rect_tracker.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QImage>
#include <QSignalSpy>
#include <QTest>
#include <memory>
#include <vector>

namespace kx {
namespace {

const auto* const kAppEnvironment = ::testing::AddGlobalTestEnvironment(new test::AppEnvironment<QApplication>);

// A black 400 × 300 picture with a 100 × 60 tracker at (50, 40) over it,
// so cx = 47 and cy = 27.
class TrackerTest : public ::testing::Test {
 protected:
  void SetUp() override {
    picture_.resize(400, 300);
    picture_.setAutoFillBackground(true);
    picture_.setPalette(QPalette(Qt::black));
    tracker_ = new TRectTracker(&picture_);
    tracker_->setGeometry(50, 40, 100, 60);
    picture_.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&picture_));
  }

  // Presses at `grip` (tracker coordinates) and drags through `steps`
  // (offsets from the press, in the picture), sending each move to wherever
  // the tracker is by then.
  void Drag(QPoint grip, const std::vector<QPoint>& steps) {
    const QPoint start = tracker_->mapToParent(grip);
    QTest::mousePress(tracker_, Qt::LeftButton, {}, grip);
    QPoint at = start;
    for (const QPoint& step : steps) {
      at = start + step;
      QTest::mouseMove(tracker_, at - tracker_->pos());
    }
    QTest::mouseRelease(tracker_, Qt::LeftButton, {}, at - tracker_->pos());
  }

  QWidget picture_;
  TRectTracker* tracker_ = nullptr;
};

struct DragCase {
  const char* name;
  QPoint grip;
  std::vector<QPoint> steps;
  QRect limit;
  QRect bounds;
};
void PrintTo(const DragCase& c, std::ostream* os) { *os << c.name; }

class TrackerDrags : public TrackerTest, public ::testing::WithParamInterface<DragCase> {};

TEST_P(TrackerDrags, MoveTheHandlesEdgesOnly) {
  const DragCase& c = GetParam();
  tracker_->SetLimit(c.limit);
  QSignalSpy changes(tracker_, &TRectTracker::OnChange);
  Drag(c.grip, c.steps);
  EXPECT_EQ(tracker_->geometry(), c.bounds);
  if (c.bounds == QRect(50, 40, 100, 60)) {
    EXPECT_EQ(changes.count(), 0);
  } else {
    ASSERT_EQ(changes.count(), 1);
    EXPECT_EQ(changes[0][0].toRect(), c.bounds.adjusted(2, 2, -2, -2));
  }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, TrackerDrags,
    ::testing::Values(
        DragCase{"LeftEdge", {1, 27}, {{10, 5}, {20, 9}}, {}, {70, 40, 80, 60}},
        DragCase{"LeftEdgeStopsAtMinimumWidth", {1, 27}, {{50, 0}, {200, 0}}, {}, {140, 40, 10, 60}},
        DragCase{"LeftEdgeComesBackAfterMinimum", {1, 27}, {{200, 0}, {-30, 0}}, {}, {20, 40, 130, 60}},
        DragCase{"TopEdge", {47, 1}, {{3, -10}}, {}, {50, 30, 100, 70}},
        DragCase{"TopEdgeStopsAtMinimumHeight", {47, 1}, {{0, 100}}, {}, {50, 90, 100, 10}},
        DragCase{"RightEdge", {98, 28}, {{10, 4}, {30, 0}}, {}, {50, 40, 130, 60}},
        DragCase{"RightEdgeStopsAtMinimumWidth", {98, 28}, {{-200, 0}}, {}, {50, 40, 10, 60}},
        DragCase{"RightEdgeFollowsTheMouseBack", {98, 28}, {{-200, 0}, {-80, 0}}, {}, {50, 40, 20, 60}},
        DragCase{"BottomEdge", {48, 58}, {{0, 15}}, {}, {50, 40, 100, 75}},
        DragCase{"TopLeftCorner", {1, 1}, {{5, 5}, {10, 10}}, {}, {60, 50, 90, 50}},
        DragCase{"TopLeftCornerAtMinimumHeight", {1, 1}, {{10, 80}}, {}, {60, 90, 90, 10}},
        DragCase{"TopRightCorner", {98, 1}, {{10, -5}}, {}, {50, 35, 110, 65}},
        DragCase{"BottomLeftCorner", {1, 58}, {{-10, 5}}, {}, {40, 40, 110, 65}},
        DragCase{"BottomRightCorner", {98, 58}, {{4, 2}, {10, 5}}, {}, {50, 40, 110, 65}},
        DragCase{"Inside", {50, 30}, {{10, 10}, {25, 15}}, {}, {75, 55, 100, 60}},
        DragCase{"BetweenHandlesAndFrame", {1, 10}, {{30, 30}}, {}, {50, 40, 100, 60}},
        DragCase{"BackWhereItStarted", {50, 30}, {{40, 40}, {0, 0}}, {}, {50, 40, 100, 60}},
        DragCase{"InsideStopsAtTheLimit", {50, 30}, {{400, 400}}, {0, 0, 200, 150}, {102, 92, 100, 60}},
        DragCase{"LeftEdgeStopsAtTheLimit", {1, 27}, {{-100, 0}}, {20, 0, 300, 300}, {18, 40, 132, 60}},
        DragCase{"BottomRightStopsAtTheLimit", {98, 58}, {{300, 300}}, {0, 0, 200, 150}, {50, 40, 152, 112}}),
    [](const auto& info) { return std::string(info.param.name); });

struct CursorCase {
  const char* name;
  QPoint point;
  Qt::CursorShape shape;
};
void PrintTo(const CursorCase& c, std::ostream* os) { *os << c.name; }

class TrackerCursors : public TrackerTest, public ::testing::WithParamInterface<CursorCase> {};

TEST_P(TrackerCursors, FollowTheZoneUnderTheMouse) {
  QTest::mouseMove(tracker_, GetParam().point);
  EXPECT_EQ(tracker_->cursor().shape(), GetParam().shape);
}

INSTANTIATE_TEST_SUITE_P(Cases, TrackerCursors,
                         ::testing::Values(CursorCase{"TopLeft", {1, 1}, Qt::SizeFDiagCursor},
                                           CursorCase{"BottomRight", {99, 59}, Qt::SizeFDiagCursor},
                                           CursorCase{"TopRight", {96, 4}, Qt::SizeBDiagCursor},
                                           CursorCase{"BottomLeft", {4, 56}, Qt::SizeBDiagCursor},
                                           CursorCase{"Left", {0, 27}, Qt::SizeHorCursor},
                                           CursorCase{"Right", {99, 31}, Qt::SizeHorCursor},
                                           CursorCase{"Top", {47, 0}, Qt::SizeVerCursor},
                                           CursorCase{"Bottom", {51, 59}, Qt::SizeVerCursor},
                                           CursorCase{"Inside", {2, 20}, Qt::SizeAllCursor},
                                           CursorCase{"Frame", {1, 20}, Qt::ArrowCursor}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(TrackerTest, AttachedControlIsFramedAndFollows) {
  auto* control = new QWidget(&picture_);
  control->setGeometry(50, 40, 200, 100);
  tracker_->SetAcControl(control);
  EXPECT_EQ(tracker_->geometry(), QRect(45, 35, 210, 110));
  EXPECT_EQ(control->geometry(), QRect(50, 40, 200, 100));
  tracker_->resize(300, 110);
  EXPECT_EQ(control->geometry(), QRect(50, 40, 290, 100));
  Drag({100, 50}, {{10, 20}});
  EXPECT_EQ(control->geometry(), QRect(60, 60, 290, 100));
  delete control;
  EXPECT_EQ(tracker_->AcControl(), nullptr);
  tracker_->resize(80, 80);
  tracker_->SetAcControl(tracker_);
  EXPECT_EQ(tracker_->AcControl(), nullptr);
}

TEST_F(TrackerTest, DrawsLightHandlesAndFrameOverThePicture) {
  const QImage shot = picture_.grab().toImage();
  const QColor white(Qt::white);
  for (const QPoint handle : {QPoint(0, 0), QPoint(0, 27), QPoint(47, 0), QPoint(95, 55), QPoint(95, 27)})
    EXPECT_EQ(shot.pixelColor(tracker_->mapToParent(handle + QPoint(2, 2))), white) << handle.x() << "," << handle.y();
  EXPECT_EQ(shot.pixelColor(tracker_->mapToParent(QPoint(50, 30))), QColor(Qt::black));
  int lit = 0;
  for (int x = 10; x < 40; ++x) lit += shot.pixelColor(tracker_->mapToParent(QPoint(x, 2))) == white;
  EXPECT_GT(lit, 5);   // the frame is dotted:
  EXPECT_LT(lit, 30);  // neither missing nor solid
}

}  // namespace
}  // namespace kx
