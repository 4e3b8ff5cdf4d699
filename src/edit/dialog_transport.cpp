#include "edit/dialog_transport.h"

#include <cmath>

#include <QMouseEvent>
#include <QTimer>

#include "controls/picture_button.h"
#include "controls/track_bar2.h"
#include "dvd/dvd_plug_in.h"

namespace kx {

bool OpenDialogTitle(TFFPlayer& player, const std::string& drive, int titleIndex, TVideoSurface* surface) {
  const std::string folder = DVDPlugIn::ProgramLibAVFolder();
  if (!player.AVLibLoaded() && !player.LoadAVLib(folder)) return false;
  if (!DVDPlugIn::IsDVDLibLoaded() && !DVDPlugIn::LoadDVDLib(folder)) return false;
  DVDPlugIn::SetDVDParam(TDVDParam{titleIndex, 0, 99, 128, 32, 2, 0});
  return player.Open("opendvd:" + drive, surface, false);
}

namespace {
TPictureButton* TransportButton(const char* name, Glyph glyph, const char* hint, QWidget* parent) {
  auto* button = new TPictureButton(glyph, {}, QSize(34, 26), parent);
  button->setObjectName(name);
  button->setToolTip(hint);
  return button;
}
}  // namespace

TDialogTransport::TDialogTransport(QWidget* buttonParent, Host host) : QObject(buttonParent), host_(std::move(host)) {
  imgbtnPlay = TransportButton("imgbtnPlay", Glyph::Play, "Play", buttonParent);
  imgbtnpause = TransportButton("imgbtnpause", Glyph::Pause, "Pause", buttonParent);
  imgbtnStop = TransportButton("imgbtnStop", Glyph::Stop, "Stop", buttonParent);
  connect(imgbtnPlay, &QAbstractButton::clicked, this, &TDialogTransport::imgbtnPlayClick);
  connect(imgbtnpause, &QAbstractButton::clicked, this, &TDialogTransport::imgbtnPauseClick);
  connect(imgbtnStop, &QAbstractButton::clicked, this, &TDialogTransport::imgbtnStopClick);
  WatchBar(host_.previewBar);
}

void TDialogTransport::WatchBar(QWidget* bar) { bar->installEventFilter(this); }

void TDialogTransport::ShowPosition(std::int64_t ptsUs) {
  if (barPressed_ || durationUs_ <= 0) return;
  host_.previewBar->SetPositionL(static_cast<int>(
      std::llround(static_cast<double>(static_cast<std::int64_t>(host_.previewBar->Max()) * ptsUs) / durationUs_)));
}

bool TDialogTransport::eventFilter(QObject* watched, QEvent* event) {
  const bool press = event->type() == QEvent::MouseButtonPress;
  if ((press || event->type() == QEvent::MouseButtonRelease) &&
      static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) {
    if (press) {
      barPressed_ = true;
    } else if (barPressed_) {
      barPressed_ = false;
      // Once the bar has taken the release, show the frame at the preview bar's thumb.
      QTimer::singleShot(0, this, [this] {
        const TTrackBar2* bar = host_.previewBar;
        if (bar->Max() <= 0) return;
        const double share = static_cast<double>(bar->PositionL()) / bar->Max();
        host_.player->Seek(static_cast<std::int64_t>(share * durationUs_), 0, false);
      });
    }
  }
  return QObject::eventFilter(watched, event);
}

void TDialogTransport::SetButtons(bool play, bool pause, bool stop) {
  imgbtnPlay->setEnabled(play);
  imgbtnpause->setEnabled(pause);
  imgbtnStop->setEnabled(stop);
}

void TDialogTransport::Opened(bool ok) {
  paused_ = false;
  stopped_ = !ok;
  SetButtons(false, ok, ok);
  host_.previewBar->setEnabled(ok);
}

void TDialogTransport::imgbtnPlayClick() {
  if (paused_) {
    if (host_.player->Paused()) host_.player->Resume();
    paused_ = stopped_ = false;
    SetButtons(false, true, true);
    host_.previewBar->setEnabled(true);
    return;
  }
  if (!stopped_) return;
  const bool ok = host_.reopen();
  Opened(ok);
  if (!ok) imgbtnPlay->setEnabled(true);
}

void TDialogTransport::imgbtnPauseClick() {
  paused_ = true;
  stopped_ = false;
  host_.player->Pause();
  SetButtons(true, false, true);
}

void TDialogTransport::imgbtnStopClick() {
  if (host_.player->Paused()) host_.player->Resume();
  host_.player->Stop(true);
  host_.previewBar->SetPositionL(0);
  host_.previewBar->setEnabled(false);
  stopped_ = true;
  paused_ = false;
  SetButtons(true, false, false);
  host_.stopped();
}

void TDialogTransport::PlayerState(TPlayState state) {
  switch (state) {
    case TPlayState::psPause:
      paused_ = true;
      stopped_ = false;
      SetButtons(true, false, imgbtnStop->isEnabled());
      break;
    case TPlayState::psStop:
      paused_ = false;
      stopped_ = true;
      SetButtons(true, false, false);
      host_.previewBar->setEnabled(false);
      break;
    case TPlayState::psEnd:
      // At the end the title waits at its start, paused; Play resumes it.
      SetButtons(true, false, imgbtnStop->isEnabled());
      stopped_ = true;
      host_.player->Seek(0, 0, false);
      host_.player->Pause();
      paused_ = true;
      break;
    default:
      break;
  }
}

}  // namespace kx
