// The layered view offscreen: dragging a layer or one of its handles, in
// view pixels, moves or resizes it in picture pixels; the drawing order
// keeps the selection on its layer.
#include <gtest/gtest.h>

#include <QApplication>
#include <QMouseEvent>
#include <memory>

#include "controls/layer_view.h"

namespace kx {
namespace {

// Made once and freed before static destruction, where Qt may no longer run.
void EnsureApp() {
  static int argc = 1;
  static char name[] = "layer_view_test";
  static char* argv[] = {name, nullptr};
  static std::unique_ptr<QApplication> app;
  if (app) return;
  app = std::make_unique<QApplication>(argc, argv);
  struct FreeApp : ::testing::Environment {
    void TearDown() override { app.reset(); }
  };
  ::testing::AddGlobalTestEnvironment(new FreeApp);
}

void Send(QWidget* view, QEvent::Type type, QPointF at, Qt::MouseButtons held, Qt::KeyboardModifiers keys) {
  QMouseEvent event(type, at, view->mapToGlobal(at), type == QEvent::MouseMove ? Qt::NoButton : Qt::LeftButton,
                    held, keys);
  QApplication::sendEvent(view, &event);
}

// A 400 x 300 picture shown at half size in an 200 x 150 view; one layer at
// (100, 100) of 80 x 40 picture pixels.
class LayerViewTest : public ::testing::Test {
 protected:
  void SetUp() override {
    EnsureApp();
    view_ = std::make_unique<TLayerView>();
    QImage base(400, 300, QImage::Format_RGB32);
    base.fill(Qt::black);
    view_->SetBasePicture(base);
    view_->resize(200, 150);
    QImage picture(80, 40, QImage::Format_ARGB32_Premultiplied);
    picture.fill(Qt::white);
    view_->AddLayer(TLayer{picture, QRectF(100, 100, 80, 40), 255, 0, true});
  }
  // Presses at a picture point, moves by a picture distance, releases.
  void Drag(QPointF from, QPointF by, Qt::KeyboardModifiers keys = Qt::NoModifier) {
    const QPointF start = from / 2, end = (from + by) / 2;
    Send(view_.get(), QEvent::MouseButtonPress, start, Qt::LeftButton, keys);
    Send(view_.get(), QEvent::MouseMove, end, Qt::LeftButton, keys);
    Send(view_.get(), QEvent::MouseButtonRelease, end, Qt::NoButton, keys);
  }

  std::unique_ptr<TLayerView> view_;
};

TEST_F(LayerViewTest, DraggingMovesOrResizesInPicturePixels) {
  struct Case {
    const char* what;
    QPointF from;  // picture point pressed
    QPointF by;
    Qt::KeyboardModifiers keys;
    QRectF expected;
  };
  const Case cases[] = {
      {"body moves", {140, 120}, {-60, 20}, Qt::NoModifier, {40, 120, 80, 40}},
      {"bottom-right corner", {180, 140}, {20, 10}, Qt::NoModifier, {100, 100, 100, 50}},
      {"left edge", {100, 120}, {30, 0}, Qt::NoModifier, {130, 100, 50, 40}},
      {"top edge never crosses the bottom", {140, 100}, {0, 100}, Qt::NoModifier, {100, 136, 80, 4}},
      {"right edge with Ctrl keeps the centre", {180, 120}, {10, 0}, Qt::ControlModifier, {90, 100, 100, 40}},
      {"press outside every layer", {20, 20}, {30, 30}, Qt::NoModifier, {100, 100, 80, 40}},
  };
  for (const Case& c : cases) {
    SetUp();
    view_->SetSelected(0);
    Drag(c.from, c.by, c.keys);
    EXPECT_EQ(view_->Layer(0).Location, c.expected) << c.what;
  }
}

TEST_F(LayerViewTest, ClickSelectsTheTopmostVisibleLayer) {
  QImage picture(80, 40, QImage::Format_ARGB32_Premultiplied);
  view_->AddLayer(TLayer{picture, QRectF(120, 110, 80, 40), 255, 1, true});
  int clicked = -1;
  QObject::connect(view_.get(), &TLayerView::LayerClicked, [&](int index) { clicked = index; });
  Drag({150, 130}, {0, 0});
  EXPECT_EQ(clicked, 1);
  view_->SetLayerVisible(1, false);
  Drag({150, 130}, {0, 0});
  EXPECT_EQ(clicked, 0);
  EXPECT_EQ(view_->Selected(), 0);

  view_->MoveLayer(0, 1);
  EXPECT_EQ(view_->Selected(), 1);
  EXPECT_EQ(view_->Layer(1).Tag, 0);
  view_->RemoveLayer(0);
  EXPECT_EQ(view_->Selected(), 0);
  view_->RemoveLayer(0);
  EXPECT_EQ(view_->Selected(), -1);
}

}  // namespace
}  // namespace kx
