#pragma once
// A box that shows one picture scaled to fit, centred, on a plain
// background; it keeps what it last drew until it is told to draw again.
#include <QColor>
#include <QImage>
#include <QWidget>

#include "engine/bitmap.h"

namespace kx {

// The preview's background before and around the picture.
inline const QColor kSkyBlue(166, 202, 240);

class TPictureBox : public QWidget {
  Q_OBJECT

 public:
  explicit TPictureBox(QWidget* parent = nullptr);

  // Main thread. Fills the whole box with the background.
  void Clear();
  // Main thread. The background, then `picture` fitted into the box; a
  // picture without pixels draws nothing over the background.
  void Draw(const TBitmap& picture);
  // What the box shows now, at the box's size.
  const QImage& Canvas() const { return canvas_; }

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  // Sized to the box, so a resized box draws at its new size.
  void FillBackground();

  QImage canvas_;
};

}  // namespace kx
