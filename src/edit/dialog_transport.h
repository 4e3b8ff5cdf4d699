#pragma once
// The play, pause and stop buttons of an edit dialog's own player, what the
// player's state events do to them, and the dialog's preview bar: it follows
// the position, and releasing a press on a watched bar seeks to the preview
// bar's thumb. Main thread only.
#include <cstdint>
#include <functional>
#include <string>

#include <QObject>

#include "player/ff_player.h"

class QWidget;

namespace kx {

class TPictureButton;
class TTrackBar2;

// Loads the media libraries and the DVD plug-in when needed, then opens the
// whole title `titleIndex` of `drive` in `player`, drawing on `surface`
// (nullptr: the owner paints from the player's hook). Main thread; false
// when any step fails.
bool OpenDialogTitle(TFFPlayer& player, const std::string& drive, int titleIndex, TVideoSurface* surface);

class TDialogTransport : public QObject {
  Q_OBJECT

 public:
  struct Host {
    TFFPlayer* player;
    TTrackBar2* previewBar;
    // Opens the title again after Stop; false when it did not open.
    std::function<bool()> reopen;
    // After Stop: the dialog idles its labels and repaints its picture.
    std::function<void()> stopped;
  };
  // The buttons are made as children of `buttonParent`, named imgbtnPlay,
  // imgbtnpause and imgbtnStop.
  TDialogTransport(QWidget* buttonParent, Host host);

  TPictureButton* imgbtnPlay;
  TPictureButton* imgbtnpause;
  TPictureButton* imgbtnStop;

  // The title has just been opened (playing), or could not be.
  void Opened(bool ok);
  bool Stopped() const { return stopped_; }
  bool Paused() const { return paused_; }

  void imgbtnPlayClick();
  void imgbtnPauseClick();
  void imgbtnStopClick();
  // The player's OnState.
  void PlayerState(TPlayState state);
  // The title's duration, from the player's OnFileOpen.
  void SetDuration(std::int64_t durationUs) { durationUs_ = durationUs; }
  // The player's OnPosition; the bar stays while a watched bar is pressed.
  void ShowPosition(std::int64_t ptsUs);
  // The preview bar is watched from the start.
  void WatchBar(QWidget* bar);

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void SetButtons(bool play, bool pause, bool stop);

  Host host_;
  bool paused_ = true;
  bool stopped_ = true;
  bool barPressed_ = false;
  std::int64_t durationUs_ = 0;
};

}  // namespace kx
