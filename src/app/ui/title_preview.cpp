#include "app/ui/title_preview.h"

#include <cmath>

#include <QLabel>
#include <QMouseEvent>
#include <QPlainTextEdit>

#include "app/settings_store.h"
#include "app/sound_settings.h"
#include "app/ui/application.h"
#include "app/ui/desktop_links.h"
#include "app/ui/title_list.h"
#include "controls/picture_button.h"
#include "controls/track_bar2.h"
#include "dvd/dvd_plug_in.h"
#include "preview/preview_bars.h"
#include "preview/snapshot.h"
#include "preview/video_surface_widget.h"

namespace kx {

namespace {
constexpr char kIdleTime[] = "00:00:00";
// The DVD parameters of a preview without a selected row: the whole first title.
constexpr TDVDParam kNoRowParam{0, 0, 99, 128, 32, 2, 0};
}  // namespace

TTitlePreview::TTitlePreview(QWidget* panel, Host host) : QObject(panel), host_(std::move(host)) {
  pan1 = panel->findChild<VideoSurface*>("pan1");
  trcPreview = panel->findChild<TTrackBar2*>("trcPreview");
  trcVolume = panel->findChild<TTrackBar2*>("trcVolume");
  lblTime = panel->findChild<QLabel*>("lblTime");
  lblPTS = panel->findChild<QLabel*>("lblPTS");
  imgbtnPre = panel->findChild<TPictureButton*>("imgbtnPre");
  imgbtnPlay = panel->findChild<TPictureButton*>("imgbtnPlay");
  imgbtnPause = panel->findChild<TPictureButton*>("imgbtnPause");
  imgbtnStop = panel->findChild<TPictureButton*>("imgbtnStop");
  imgbtnNext = panel->findChild<TPictureButton*>("imgbtnNext");
  imgbtnSnap = panel->findChild<TPictureButton*>("imgbtnSnap");
  imgbtnMute = panel->findChild<TPictureButton*>("imgbtnMute");

  imgbtnMute->setCheckable(true);
  imgbtnMute->setEnabled(true);
  trcVolume->setEnabled(true);
  connect(imgbtnPlay, &QAbstractButton::clicked, this, &TTitlePreview::imgbtnPlayClick);
  connect(imgbtnPause, &QAbstractButton::clicked, this, &TTitlePreview::imgbtnPauseClick);
  connect(imgbtnStop, &QAbstractButton::clicked, this, &TTitlePreview::imgbtnStopClick);
  connect(imgbtnNext, &QAbstractButton::clicked, this, &TTitlePreview::imgbtnNextClick);
  connect(imgbtnPre, &QAbstractButton::clicked, this, &TTitlePreview::imgbtnPreClick);
  // The button keeps its own state: a click has toggled it already.
  connect(imgbtnMute, &QAbstractButton::clicked, this, &TTitlePreview::imgbtnMuteClick);
  connect(imgbtnSnap, &QAbstractButton::clicked, this, &TTitlePreview::imgbtnSnapClick);
  connect(trcVolume, &TTrackBar2::OnChange, this, [this] { trcVolumeChange(trcVolume->PositionL()); });
  trcPreview->installEventFilter(this);
  trcVolume->installEventFilter(this);

  FFPlayer.OnFileOpen = [this](TFFPlayer*, std::int64_t duration, int width, int height, int& screenWidth,
                               int& screenHeight) { FFPlayerFileOpen(duration, width, height, screenWidth, screenHeight); };
  FFPlayer.OnPosition = [this](TFFPlayer*, std::int64_t pts) { FFPlayerPosition(pts); };
  FFPlayer.OnState = [this](TFFPlayer*, TPlayState state) { FFPlayerState(state); };
  ShowStopped();
  imgbtnPlay->setEnabled(true);
}

void TTitlePreview::SetButtons(bool play, bool pause, bool stop) {
  imgbtnPlay->setEnabled(play);
  imgbtnPause->setEnabled(pause);
  imgbtnStop->setEnabled(stop);
  imgbtnSnap->setEnabled(pause || stop);
}

void TTitlePreview::imgbtnPlayClick() {
  if (previewPaused_) {
    previewPaused_ = previewStopped_ = false;
    SetButtons(false, true, true);
    if (FFPlayer.Paused()) FFPlayer.Resume();
    return;
  }
  if (!FFPlayer.AVLibLoaded() && !FFPlayer.LoadAVLib(DVDPlugIn::ProgramLibAVFolder())) {
    host_.log->appendPlainText(QString::fromStdString(FFPlayer.LastErrMsg()));
    return;
  }
  if (!DVDPlugIn::IsDVDLibLoaded() && !DVDPlugIn::LoadDVDLib(DVDPlugIn::ProgramLibAVFolder())) return;
  TTitleList* list = host_.list;
  if (list->RowCount() == 0) {
    host_.addDvd();
    return;
  }
  TDVDParam param = kNoRowParam;
  auto* row = static_cast<TTitleRow*>(list->currentItem());
  if (!row) {
    list->setCurrentItem(list->Row(0));
    if (list->currentItem() != list->Row(0)) return;
  } else {
    const TlvFilesRecord& rec = row->Record;
    param = TDVDParam{rec.TitleIndex, 0, rec.TitleInfo.ChapterCount, rec.AudioStreamId, rec.SubtitleStreamId, 2, 0};
  }
  SetButtons(false, false, false);
  DVDPlugIn::SetDVDParam(param);
  FFPlayer.Open("opendvd:" + host_.drive(), pan1, false);
  previewStopped_ = previewPaused_ = false;
  trcPreview->setEnabled(true);
  SetButtons(false, true, true);
}

void TTitlePreview::imgbtnPauseClick() {
  if (previewPaused_) return;
  if (!FFPlayer.Paused()) FFPlayer.Pause();
  previewPaused_ = true;
  previewStopped_ = false;
  SetButtons(true, false, true);
}

void TTitlePreview::imgbtnStopClick() {
  if (previewStopped_) return;
  if (FFPlayer.Paused()) FFPlayer.Resume();
  FFPlayer.Stop(true);
  ShowStopped();
  pan1->update();
}

// The stopped state: Play only, the bar at 0 and the labels idle.
void TTitlePreview::ShowStopped() {
  trcPreview->SetPositionL(0);
  trcPreview->setEnabled(false);  // a disabled bar gets no release, so no drag goes on
  seekDrag_ = false;
  previewStopped_ = true;
  previewPaused_ = false;
  SetButtons(true, false, false);
  lblTime->setText(kIdleTime);
  lblPTS->setText(kIdleTime);
}

void TTitlePreview::MoveToRow(int row) {
  host_.list->setCurrentItem(host_.list->Row(row));
  imgbtnPlayClick();
}

void TTitlePreview::imgbtnNextClick() {
  const int row = std::max(host_.list->indexOfTopLevelItem(host_.list->currentItem()), 0);
  if (row + 1 < host_.list->RowCount()) {
    previewPaused_ = false;  // Play opens the new row instead of resuming
    MoveToRow(row + 1);
  }
  UpdateTitleButtons();
}

void TTitlePreview::imgbtnPreClick() {
  const int row = std::max(host_.list->indexOfTopLevelItem(host_.list->currentItem()), 0);
  if (row > 0) {
    previewPaused_ = false;
    MoveToRow(row - 1);
  }
  UpdateTitleButtons();
}

void TTitlePreview::UpdateTitleButtons() {
  const int row = host_.list->indexOfTopLevelItem(host_.list->currentItem());
  imgbtnPre->setEnabled(row > 0);
  imgbtnNext->setEnabled(row >= 0 && row + 1 < host_.list->RowCount());
}

void TTitlePreview::imgbtnMuteClick() {
  const bool muted = imgbtnMute->isChecked();
  FFPlayer.SetMute(muted);
  WriteInteger(host_.settings(), "settings", kMuteKey, muted ? 1 : 0);
}

void TTitlePreview::trcVolumeChange(int position) {
  FFPlayer.SetAudioVolume(position);
  WriteInteger(host_.settings(), "settings", kVolumeKey, position);
}

void TTitlePreview::RestoreSound() {
  const std::string ini = host_.settings();
  const int volume = ReadVolume(ini);
  const bool muted = ReadMute(ini);
  {
    const QSignalBlocker quiet(trcVolume);  // restoring is no change to store
    trcVolume->SetPositionL(volume);
  }
  imgbtnMute->setChecked(muted);
  FFPlayer.SetAudioVolume(volume);
  FFPlayer.SetMute(muted);
}

void TTitlePreview::FFPlayerFileOpen(std::int64_t duration, int frameWidth, int frameHeight, int& screenWidth,
                                     int& screenHeight) {
  host_.log->appendPlainText(QString::fromStdString(FFPlayer.Probe().FileInfoText()));
  host_.log->appendPlainText(QString::asprintf("duration: %f, frame size: %dx%d", duration / 1000000.0, frameWidth,
                                               frameHeight));
  screenWidth = pan1->width();
  screenHeight = pan1->height();
  previewDurationUs_ = duration;
  lblPTS->setText(QString::fromStdString(PreviewTimeText(std::llrint(duration / 1000000.0))));
  trcPreview->SetMax(trcPreview->width());
  trcPreview->SetPositionL(0);
}

void TTitlePreview::FFPlayerPosition(std::int64_t pts) {
  lblTime->setText(QString::fromStdString(PreviewTimeText(std::llround(pts / 1000000.0))));
  // A title of unknown length leaves the bar where it is.
  if (seekDrag_ || previewDurationUs_ <= 0) return;
  trcPreview->SetPositionL(static_cast<int>(
      std::lround(static_cast<double>(static_cast<std::int64_t>(trcPreview->Max()) * pts) / previewDurationUs_)));
}

void TTitlePreview::FFPlayerState(TPlayState state) {
  if (state != TPlayState::psEnd) return;
  FFPlayer.Seek(0, 0, false);
  FFPlayer.Pause();
  ShowStopped();
}

void TTitlePreview::trcPreviewReleased() {
  if (trcPreview->Max() <= 0) return;
  FFPlayer.Seek(static_cast<std::int64_t>(static_cast<double>(trcPreview->PositionL()) / trcPreview->Max() *
                                          previewDurationUs_),
                0, false);
}

bool TTitlePreview::eventFilter(QObject* watched, QEvent* event) {
  auto* bar = qobject_cast<TTrackBar2*>(watched);
  const QEvent::Type type = event->type();
  if (!bar || !bar->isEnabled() ||
      (type != QEvent::MouseButtonPress && type != QEvent::MouseMove && type != QEvent::MouseButtonRelease))
    return false;
  const auto* mouse = static_cast<QMouseEvent*>(event);
  const bool position = bar == trcPreview;
  if (type == QEvent::MouseButtonPress) {
    if (position && mouse->button() == Qt::LeftButton) seekDrag_ = true;
  } else if (type == QEvent::MouseMove) {
    // The bar follows the pointer, not only a grabbed thumb.
    if (!(mouse->buttons() & Qt::LeftButton)) return false;
    bar->SetPositionL(PreviewBarDragPosition(*bar, position ? PreviewBarKind::Position : PreviewBarKind::Volume,
                                             mouse->position().toPoint().x()));
    return true;
  } else if (position && mouse->button() == Qt::LeftButton && seekDrag_) {
    seekDrag_ = false;
    trcPreviewReleased();
  }
  return false;
}

void TTitlePreview::imgbtnSnapClick() {
  TBitmap full;
  FFPlayer.CurrentFrame(full);
  if (full.Width <= 0) return;
  const TBitmap small = StretchedBitmap(full, pan1->width(), pan1->height());
  const std::string folder = SaveSnapshot(host_.settings(), full, small, AppMessages());
  OpenOnDesktop(QUrl::fromLocalFile(QString::fromStdString(folder)));
}

}  // namespace kx
