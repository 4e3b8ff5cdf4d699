#pragma once
// TLayerView: a base picture scaled to fit the control with its proportions
// and centred, with bitmap layers drawn over it in list order. Layers are
// placed in picture coordinates, so they stretch with the view. A click on
// a layer selects it; the selected layer can be moved by dragging it and
// resized by eight handles (with Ctrl held both opposite edges move, so the
// centre stays). Main thread only.
#include <QImage>
#include <QWidget>
#include <vector>

namespace kx {

struct TLayer {
  QImage Picture;     // premultiplied ARGB; shown stretched to Location
  QRectF Location;    // picture coordinates
  int Opacity = 255;  // 0 … 255 for the whole layer
  int Tag = 0;
  bool Visible = true;
};

class TLayerView : public QWidget {
  Q_OBJECT

 public:
  explicit TLayerView(QWidget* parent = nullptr);

  // The picture's size fixes the coordinate grid of the layers.
  void SetBasePicture(QImage picture);
  QSize PictureSize() const { return base_.size(); }

  int LayerCount() const { return static_cast<int>(layers_.size()); }
  const TLayer& Layer(int index) const { return layers_[index]; }
  // Replace what a layer shows; the view repaints.
  void SetLayer(int index, TLayer layer);
  void SetLayerLocation(int index, QRectF location);
  void SetLayerOpacity(int index, int opacity);
  void SetLayerVisible(int index, bool visible);
  // Returns the new layer's index (the last).
  int AddLayer(TLayer layer);
  void RemoveLayer(int index);
  // Moves a layer to another place in the drawing order.
  void MoveLayer(int from, int to);

  // -1: none. Selecting shows the frame with its handles.
  int Selected() const { return selected_; }
  void SetSelected(int index);

  // Where the picture lies in the control, and the conversions.
  QRectF PictureRect() const;
  QPointF ViewToPicture(QPointF point) const;
  QRectF PictureToView(const QRectF& rect) const;
  // The centre of what is shown, in picture coordinates.
  QPointF VisibleCentre() const { return ViewToPicture(QRectF(rect()).center()); }

 signals:
  // A click picked this layer (already selected).
  void LayerClicked(int index);
  // The selected layer was moved or resized with the mouse.
  void LayerDragged(int index);

 protected:
  void paintEvent(QPaintEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;

 private:
  // Edges a drag moves; all four for a move.
  enum Edge { kLeft = 1, kTop = 2, kRight = 4, kBottom = 8, kMove = 15 };
  // The handle rectangles of the selected layer in view coordinates, with
  // the edges each one drags.
  std::vector<std::pair<QRectF, int>> Handles() const;
  int LayerAt(QPointF viewPoint) const;

  QImage base_;
  std::vector<TLayer> layers_;
  int selected_ = -1;
  int dragEdges_ = 0;  // 0: no drag
  bool dragKeepsCentre_ = false;
  QPointF dragStart_;  // picture coordinates
  QRectF dragFrom_;
};

}  // namespace kx
