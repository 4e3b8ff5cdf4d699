#include "app/ui/cover_window.h"

#include <QGuiApplication>
#include <QPainter>
#include <QScreen>

#include "app/ui/jpeg_picture.h"

namespace kx {

TfrmCover::TfrmCover(const std::string& programFolder)
    : QWidget(nullptr, Qt::SplashScreen | Qt::FramelessWindowHint),
      picture_(ReadJpegPicture(programFolder + "skin/dvdzunecover.jpg")) {
  setObjectName("frmCover");
  setFixedSize(picture_.size());
  if (const QScreen* screen = QGuiApplication::primaryScreen()) {
    QRect frame(QPoint(), picture_.size());
    frame.moveCenter(screen->availableGeometry().center());
    move(frame.topLeft());
  }
  timer_.setInterval(1000);
  connect(&timer_, &QTimer::timeout, this, &TfrmCover::timerTick);
  timer_.start();
}

void TfrmCover::ShowAtOnce() {
  if (picture_.isNull()) return;
  show();
  repaint();
}

void TfrmCover::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.drawImage(0, 0, picture_);
}

void TfrmCover::timerTick() {
  if (!mainWindow_ || !mainWindow_->isVisible()) return;
  timer_.stop();
  close();
}

}  // namespace kx
