#include "conversion/ui/picture_box.h"

#include <QPainter>

#include "conversion/picture_fit.h"

namespace kx {
namespace {

// A view of the bitmap's pixels without copying them; valid while `picture` is.
QImage ImageView(const TBitmap& picture) {
  return QImage(picture.Pixels.data(), picture.Width, picture.Height, picture.Stride, QImage::Format_BGR888);
}

}  // namespace

TPictureBox::TPictureBox(QWidget* parent) : QWidget(parent) { setAttribute(Qt::WA_OpaquePaintEvent); }

void TPictureBox::FillBackground() {
  if (canvas_.size() != size()) canvas_ = QImage(size(), QImage::Format_RGB32);
  canvas_.fill(kSkyBlue);
}

void TPictureBox::Clear() {
  FillBackground();
  update();
}

void TPictureBox::Draw(const TBitmap& picture) {
  FillBackground();
  if (picture.Width > 0 && picture.Height > 0 && !canvas_.isNull()) {
    const FitRect fit = FitPicture(canvas_.width(), canvas_.height(), picture.Width, picture.Height);
    QPainter painter(&canvas_);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.drawImage(QRect(fit.x, fit.y, fit.width, fit.height), ImageView(picture));
  }
  update();
}

void TPictureBox::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.drawImage(0, 0, canvas_);
}

}  // namespace kx
