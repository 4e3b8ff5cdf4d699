#include "preview/video_surface_widget.h"

#include <cmath>
#include <cstring>

#include <QPainter>

namespace kx {

VideoSurface::VideoSurface(QWidget* parent) : QWidget(parent) {
  setAttribute(Qt::WA_OpaquePaintEvent);
}

void VideoSurface::ShowPicture(const TBitmap& picture, double displayAspect) {
  {
    std::lock_guard lock(mutex_);
    if (image_.width() != picture.Width || image_.height() != picture.Height)
      image_ = QImage(picture.Width, picture.Height, QImage::Format_BGR888);
    for (int y = 0; y < picture.Height; ++y) std::memcpy(image_.scanLine(y), picture.Row(y), picture.Width * 3);
    aspect_ = displayAspect;
    hasPicture_ = true;
  }
  QMetaObject::invokeMethod(this, qOverload<>(&QWidget::update), Qt::QueuedConnection);
}

void VideoSurface::ClearPicture() {
  {
    std::lock_guard lock(mutex_);
    hasPicture_ = false;
  }
  QMetaObject::invokeMethod(this, qOverload<>(&QWidget::update), Qt::QueuedConnection);
}

QImage VideoSurface::CurrentImage() const {
  std::lock_guard lock(mutex_);
  return hasPicture_ ? image_.copy() : QImage();
}

QRect VideoSurface::PictureRect(QSize area, double displayAspect) {
  if (displayAspect <= 0) return QRect(QPoint(0, 0), area);
  // Even sizes, centred, as the picture fits the height or else the width.
  int height = area.height();
  int width = static_cast<int>(std::lround(height * displayAspect)) & ~1;
  if (width > area.width()) {
    width = area.width();
    height = static_cast<int>(std::lround(width / displayAspect)) & ~1;
  }
  return QRect((area.width() - width) / 2, (area.height() - height) / 2, width, height);
}

void VideoSurface::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.fillRect(rect(), Qt::black);
  std::lock_guard lock(mutex_);
  if (!hasPicture_) return;
  painter.setRenderHint(QPainter::SmoothPixmapTransform);
  painter.drawImage(PictureRect(size(), aspect_), image_);
}

}  // namespace kx
