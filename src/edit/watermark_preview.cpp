#include "edit/watermark_preview.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QSlider>
#include <QStyle>
#include <cmath>

#include "app/sound_settings.h"
#include "app/title_row_texts.h"
#include "edit/dialog_transport.h"

namespace kx {
namespace {

// The title's crop margins as a 2-pixel green frame, drawn into the picture.
void DrawCropFrame(TBitmap& picture, const TlvFilesRecord& rec) {
  QImage wrapped(picture.Pixels.data(), picture.Width, picture.Height, picture.Stride, QImage::Format_BGR888);
  QPainter painter(&wrapped);
  painter.setPen(QPen(QColor(0x00, 0x80, 0x00), 2));
  painter.setBrush(Qt::NoBrush);
  painter.drawRect(QRect(QPoint(rec.CropLeft, rec.CropTop),
                         QPoint(picture.Width - rec.CropRight, picture.Height - rec.CropBottom)));
}

QString RoundedSecondsText(std::int64_t us) { return QString::fromStdString(DurationText(std::llround(us / 1e6))); }

}  // namespace

TWatermarkPreview::TWatermarkPreview(const TlvFilesRecord& rec, std::string settingsIni, QWidget* parent)
    : QWidget(parent), rec_(rec), settingsIni_(std::move(settingsIni)) {
  imgbtnPlay = new QPushButton(style()->standardIcon(QStyle::SP_MediaPlay), "");
  imgbtnPlay->setObjectName("imgbtnPlay");
  imgbtnpause = new QPushButton(style()->standardIcon(QStyle::SP_MediaPause), "");
  imgbtnpause->setObjectName("imgbtnpause");
  imgbtnpause->setEnabled(false);
  trcPreview = new QSlider(Qt::Horizontal);
  trcPreview->setObjectName("trcPreview");
  trcPreview->setEnabled(false);
  lblTime = new QLabel(RoundedSecondsText(0));
  lblTime->setObjectName("lblTime");
  lblPTS = new QLabel(RoundedSecondsText(0));
  lblPTS->setObjectName("lblPTS");
  auto* layout = new QHBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->addWidget(imgbtnPlay);
  layout->addWidget(imgbtnpause);
  layout->addWidget(trcPreview, 1);
  layout->addWidget(lblTime);
  layout->addWidget(new QLabel("/"));
  layout->addWidget(lblPTS);

  connect(imgbtnPlay, &QPushButton::clicked, this, &TWatermarkPreview::imgbtnPlayClick);
  connect(imgbtnpause, &QPushButton::clicked, this, &TWatermarkPreview::imgbtnpauseClick);
  connect(trcPreview, &QSlider::sliderPressed, this, [this] { seekDrag_ = true; });
  connect(trcPreview, &QSlider::sliderReleased, this, [this] {
    seekDrag_ = false;
    if (trcPreview->maximum() > 0)
      FFPlayer.Seek(static_cast<std::int64_t>(double(trcPreview->value()) / trcPreview->maximum() * durationUs_), 0,
                    false);
  });
  FFPlayer.OnFileOpen = [this](TFFPlayer*, std::int64_t duration, int width, int height, int&, int&) {
    FFPlayerFileOpen(duration, width, height);
  };
  FFPlayer.OnHook = [this](TFFPlayer*, TBitmap& picture, std::int64_t pts) { FFPlayerHook(picture, pts); };
  FFPlayer.OnState = [this](TFFPlayer*, TPlayState state) { FFPlayerState(state); };
}

TWatermarkPreview::~TWatermarkPreview() { Stop(); }

void TWatermarkPreview::Play(const std::string& drive) {
  if (drive.empty()) return;
  if (!OpenDialogTitle(FFPlayer, drive, rec_.TitleIndex, nullptr)) return;
  SetButtons(true);
}

void TWatermarkPreview::Stop() {
  FFPlayer.SetHook(false);
  FFPlayer.Stop(true);
}

void TWatermarkPreview::imgbtnPlayClick() {
  FFPlayer.Resume();
  SetButtons(true);
}

void TWatermarkPreview::imgbtnpauseClick() {
  FFPlayer.Pause();
  imgbtnPlay->setEnabled(true);
  imgbtnpause->setEnabled(false);
}

void TWatermarkPreview::SetButtons(bool playing) {
  imgbtnPlay->setEnabled(!playing);
  imgbtnpause->setEnabled(playing);
  trcPreview->setEnabled(playing);
}

// Inside Open, main thread, before the player's threads start.
void TWatermarkPreview::FFPlayerFileOpen(std::int64_t duration, int frameWidth, int frameHeight) {
  durationUs_ = duration;
  lblPTS->setText(RoundedSecondsText(duration));
  trcPreview->setMaximum(static_cast<int>(std::llround(duration / 1e6)));
  trcPreview->setValue(0);
  FFPlayer.SetMute(ReadMute(settingsIni_));
  emit FileOpened(duration, frameWidth, frameHeight);
  FFPlayer.SetHook(true);
}

// Video decoding thread.
void TWatermarkPreview::FFPlayerHook(TBitmap& picture, std::int64_t pts) {
  DrawCropFrame(picture, rec_);
  {
    std::lock_guard lock(hookedMutex_);
    hooked_.Width = picture.Width;
    hooked_.Height = picture.Height;
    hooked_.Stride = picture.Stride;
    hooked_.Pixels.assign(picture.Pixels.begin(), picture.Pixels.end());
    hookedPts_ = pts;
    if (hookedPosted_) return;
    hookedPosted_ = true;
  }
  QMetaObject::invokeMethod(this, &TWatermarkPreview::ShowHookedPicture, Qt::QueuedConnection);
}

void TWatermarkPreview::ShowHookedPicture() {
  QImage picture;
  std::int64_t pts = 0;
  {
    std::lock_guard lock(hookedMutex_);
    hookedPosted_ = false;
    if (hooked_.Width <= 0 || hooked_.Height <= 0) return;
    picture = QImage(hooked_.Pixels.data(), hooked_.Width, hooked_.Height, hooked_.Stride, QImage::Format_BGR888).copy();
    pts = hookedPts_;
  }
  lblTime->setText(RoundedSecondsText(pts));
  if (!seekDrag_ && durationUs_ > 0)
    trcPreview->setValue(static_cast<int>(std::llround(double(trcPreview->maximum()) * pts / durationUs_)));
  emit PictureShown(picture, pts);
}

// Main thread. At the end the title goes back to its start and waits.
void TWatermarkPreview::FFPlayerState(TPlayState state) {
  if (state != TPlayState::psEnd) return;
  FFPlayer.Seek(0, sfAny, false);
  FFPlayer.Pause();
  imgbtnPlay->setEnabled(true);
  imgbtnpause->setEnabled(false);
  trcPreview->setEnabled(false);
}

}  // namespace kx
