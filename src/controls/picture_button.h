#pragma once
// The skin's picture buttons: a rounded face in the skin's blue with a glyph
// drawn in vector strokes, and an optional caption under the glyph. The
// pictures are painted, never loaded, so they scale with the button.
#include <QAbstractButton>

namespace kx {

enum class Glyph {
  AddDisc, Clear, Settings, Edit, Start, Exit,
  ArrowUp, ArrowDown, Minimise, Close,
  Previous, Play, Pause, Stop, Next, Snapshot, Speaker,
  Letter,  // the button's text as a letter mark (share buttons)
};

class TPictureButton : public QAbstractButton {
  Q_OBJECT

 public:
  // `face` colours the button; the glyph is drawn in white over it.
  TPictureButton(Glyph glyph, const QString& caption, QSize size, QWidget* parent, QColor face = QColor());

  QSize sizeHint() const override { return size_; }

 protected:
  void paintEvent(QPaintEvent* event) override;
  void enterEvent(QEnterEvent* event) override;
  void leaveEvent(QEvent* event) override;

 private:
  void drawGlyph(QPainter& painter, const QRectF& box) const;

  Glyph glyph_;
  QSize size_;
  QColor face_;
  bool hovered_ = false;
};

}  // namespace kx
