#include "controls/layer_view.h"

#include <QMouseEvent>
#include <QPainter>
#include <algorithm>

namespace kx {
namespace {

constexpr int kSquare = 13;          // checkerboard behind the picture
constexpr double kHandleSide = 7;    // view pixels
constexpr double kMinSide = 4;       // picture pixels a resize leaves at least

}  // namespace

TLayerView::TLayerView(QWidget* parent) : QWidget(parent), base_(720, 576, QImage::Format_RGB32) {
  base_.fill(Qt::black);
  setMouseTracking(true);
}

void TLayerView::SetBasePicture(QImage picture) {
  base_ = std::move(picture);
  update();
}

void TLayerView::SetLayer(int index, TLayer layer) {
  layers_[index] = std::move(layer);
  update();
}

void TLayerView::SetLayerLocation(int index, QRectF location) {
  layers_[index].Location = location;
  update();
}

void TLayerView::SetLayerOpacity(int index, int opacity) {
  layers_[index].Opacity = std::clamp(opacity, 0, 255);
  update();
}

void TLayerView::SetLayerVisible(int index, bool visible) {
  if (layers_[index].Visible == visible) return;
  layers_[index].Visible = visible;
  update();
}

int TLayerView::AddLayer(TLayer layer) {
  layers_.push_back(std::move(layer));
  update();
  return LayerCount() - 1;
}

void TLayerView::RemoveLayer(int index) {
  layers_.erase(layers_.begin() + index);
  if (selected_ == index) selected_ = -1;
  else if (selected_ > index) --selected_;
  dragEdges_ = 0;
  update();
}

void TLayerView::MoveLayer(int from, int to) {
  if (from == to || from < 0 || to < 0 || from >= LayerCount() || to >= LayerCount()) return;
  TLayer moved = std::move(layers_[from]);
  layers_.erase(layers_.begin() + from);
  layers_.insert(layers_.begin() + to, std::move(moved));
  if (selected_ == from) selected_ = to;
  else if (selected_ > from && selected_ <= to) --selected_;
  else if (selected_ < from && selected_ >= to) ++selected_;
  update();
}

void TLayerView::SetSelected(int index) {
  selected_ = index >= 0 && index < LayerCount() ? index : -1;
  update();
}

QRectF TLayerView::PictureRect() const {
  if (base_.isNull() || width() <= 0 || height() <= 0) return QRectF(rect());
  const QSizeF fitted = QSizeF(base_.size()).scaled(size(), Qt::KeepAspectRatio);
  return QRectF(QPointF((width() - fitted.width()) / 2, (height() - fitted.height()) / 2), fitted);
}

QPointF TLayerView::ViewToPicture(QPointF point) const {
  const QRectF shown = PictureRect();
  const double scale = shown.width() > 0 ? base_.width() / shown.width() : 1;
  return (point - shown.topLeft()) * scale;
}

QRectF TLayerView::PictureToView(const QRectF& rect) const {
  const QRectF shown = PictureRect();
  const double scale = base_.width() > 0 ? shown.width() / base_.width() : 1;
  return QRectF(shown.topLeft() + rect.topLeft() * scale, rect.size() * scale);
}

std::vector<std::pair<QRectF, int>> TLayerView::Handles() const {
  std::vector<std::pair<QRectF, int>> handles;
  if (selected_ < 0) return handles;
  const QRectF r = PictureToView(layers_[selected_].Location);
  const double xs[] = {r.left(), r.center().x(), r.right()};
  const double ys[] = {r.top(), r.center().y(), r.bottom()};
  for (int row = 0; row < 3; ++row)
    for (int col = 0; col < 3; ++col) {
      const int edges = (col == 0 ? kLeft : col == 2 ? kRight : 0) | (row == 0 ? kTop : row == 2 ? kBottom : 0);
      if (edges == 0) continue;
      const QPointF centre(xs[col], ys[row]);
      handles.emplace_back(QRectF(centre - QPointF(kHandleSide / 2, kHandleSide / 2), QSizeF(kHandleSide, kHandleSide)),
                           edges);
    }
  return handles;
}

int TLayerView::LayerAt(QPointF viewPoint) const {
  for (int i = LayerCount() - 1; i >= 0; --i)
    if (layers_[i].Visible && PictureToView(layers_[i].Location).contains(viewPoint)) return i;
  return -1;
}

void TLayerView::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  for (int y = 0; y < height(); y += kSquare)
    for (int x = 0; x < width(); x += kSquare)
      painter.fillRect(x, y, kSquare, kSquare,
                       (x / kSquare) % 2 == (y / kSquare) % 2 ? QColor(176, 176, 176) : QColor(Qt::white));
  painter.setRenderHint(QPainter::SmoothPixmapTransform);
  painter.drawImage(PictureRect(), base_);
  for (const TLayer& layer : layers_) {
    if (!layer.Visible || layer.Picture.isNull()) continue;
    painter.setOpacity(layer.Opacity / 255.0);
    painter.drawImage(PictureToView(layer.Location), layer.Picture);
  }
  painter.setOpacity(1);
  if (selected_ < 0) return;
  painter.setPen(QPen(Qt::black, 1, Qt::DashLine));
  painter.setBrush(Qt::NoBrush);
  painter.drawRect(PictureToView(layers_[selected_].Location));
  painter.setPen(Qt::black);
  for (const auto& [handle, edges] : Handles()) painter.fillRect(handle, Qt::white), painter.drawRect(handle);
}

void TLayerView::mousePressEvent(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton) return;
  const QPointF at = event->position();
  dragEdges_ = 0;
  for (const auto& [handle, edges] : Handles())
    if (handle.contains(at)) dragEdges_ = edges;
  if (dragEdges_ == 0) {
    const int hit = LayerAt(at);
    if (hit < 0) return;
    SetSelected(hit);
    emit LayerClicked(hit);
    dragEdges_ = kMove;
  }
  dragKeepsCentre_ = event->modifiers().testFlag(Qt::ControlModifier);
  dragStart_ = ViewToPicture(at);
  dragFrom_ = layers_[selected_].Location;
}

void TLayerView::mouseMoveEvent(QMouseEvent* event) {
  if (dragEdges_ == 0 || selected_ < 0 || !(event->buttons() & Qt::LeftButton)) return;
  const QPointF delta = ViewToPicture(event->position()) - dragStart_;
  QRectF r = dragFrom_;
  if (dragEdges_ == kMove) {
    r.translate(delta);
  } else {
    const double dx = dragKeepsCentre_ ? delta.x() : 0, dy = dragKeepsCentre_ ? delta.y() : 0;
    if (dragEdges_ & kLeft) r.setLeft(std::min(r.left() + delta.x(), r.right() - kMinSide)), r.setRight(r.right() - dx);
    if (dragEdges_ & kRight) r.setRight(std::max(r.right() + delta.x(), r.left() + kMinSide)), r.setLeft(r.left() - dx);
    if (dragEdges_ & kTop) r.setTop(std::min(r.top() + delta.y(), r.bottom() - kMinSide)), r.setBottom(r.bottom() - dy);
    if (dragEdges_ & kBottom) r.setBottom(std::max(r.bottom() + delta.y(), r.top() + kMinSide)), r.setTop(r.top() - dy);
    if (r.width() < kMinSide || r.height() < kMinSide) return;
  }
  SetLayerLocation(selected_, r);
  emit LayerDragged(selected_);
}

void TLayerView::mouseReleaseEvent(QMouseEvent*) { dragEdges_ = 0; }

}  // namespace kx
