#pragma once
// The small player of the main window: plays the title under the list's
// focus into the preview panel, with the transport buttons, the position and
// volume bars and the time labels. Main thread only.
#include <cstdint>
#include <functional>
#include <string>

#include <QObject>

#include "app/time_text.h"
#include "player/ff_player.h"

class QLabel;
class QPlainTextEdit;

namespace kx {

class TPictureButton;
class TTitleList;
class TTrackBar2;
class VideoSurface;

class TTitlePreview : public QObject {
  Q_OBJECT

 public:
  struct Host {
    TTitleList* list;
    QPlainTextEdit* log;
    std::function<std::string()> drive;     // the disc the rows come from
    std::function<void()> addDvd;           // offers the disc menu
    std::function<std::string()> settings;  // the settings INI file
  };
  TTitlePreview(QWidget* panel, Host host);

  void imgbtnPlayClick();
  void imgbtnPauseClick();
  void imgbtnStopClick();
  void imgbtnNextClick();
  void imgbtnPreClick();
  void imgbtnMuteClick();
  // Saves the picture the player shows; see preview/snapshot.h.
  void imgbtnSnapClick();
  void trcVolumeChange(int position);
  // Volume and mute from the settings to the bar, the button and the player.
  void RestoreSound();
  // Previous and Next for the row the list shows.
  void UpdateTitleButtons();

 protected:
  // The bars' left-button drags and the seek when the position bar is let go.
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void FFPlayerFileOpen(std::int64_t duration, int frameWidth, int frameHeight, int& screenWidth,
                        int& screenHeight);
  void FFPlayerPosition(std::int64_t pts);
  void FFPlayerState(TPlayState state);
  void trcPreviewReleased();
  void ShowStopped();
  void SetButtons(bool play, bool pause, bool stop);
  void MoveToRow(int row);

  Host host_;
  TFFPlayer FFPlayer;
  VideoSurface* pan1;
  TTrackBar2* trcPreview;
  TTrackBar2* trcVolume;
  QLabel* lblTime;
  QLabel* lblPTS;
  TPictureButton* imgbtnPre;
  TPictureButton* imgbtnPlay;
  TPictureButton* imgbtnPause;
  TPictureButton* imgbtnStop;
  TPictureButton* imgbtnNext;
  TPictureButton* imgbtnSnap;
  TPictureButton* imgbtnMute;
  bool previewPaused_ = false;
  bool previewStopped_ = true;
  bool seekDrag_ = false;  // the left button went down on trcPreview and is still down
  std::int64_t previewDurationUs_ = 0;
};

}  // namespace kx
