#pragma once
// The watermark dialog's own player: plays one DVD title with Play, Pause,
// a position bar and the time labels, and hands every shown picture, with
// the title's crop frame drawn in, to the dialog. Main thread, except the
// player's hook on its video decoding thread. Destroying it stops the
// player and waits for it.
#include <QWidget>
#include <cstdint>
#include <mutex>
#include <string>

#include "app/title_job.h"
#include "player/ff_player.h"

class QLabel;
class QPushButton;
class QSlider;

namespace kx {

class TWatermarkPreview : public QWidget {
  Q_OBJECT

 public:
  // `rec` gives the title and its crop margins and must outlive the preview.
  TWatermarkPreview(const TlvFilesRecord& rec, std::string settingsIni, QWidget* parent = nullptr);
  ~TWatermarkPreview() override;

  // Plays the title from `drive`; without the media libraries or the disc
  // nothing plays and nothing is reported.
  void Play(const std::string& drive);
  // Stops the player and waits for its end; no picture follows.
  void Stop();
  void imgbtnPlayClick();
  void imgbtnpauseClick();

  std::int64_t DurationUs() const { return durationUs_; }

 signals:
  // Inside Play, before the first picture.
  void FileOpened(std::int64_t durationUs, int frameWidth, int frameHeight);
  // A picture of the title at `ptsUs`; pictures that come faster than the
  // main thread takes them are skipped.
  void PictureShown(const QImage& picture, std::int64_t ptsUs);

 private:
  void FFPlayerFileOpen(std::int64_t duration, int frameWidth, int frameHeight);
  void FFPlayerHook(TBitmap& picture, std::int64_t pts);
  void FFPlayerState(TPlayState state);
  // Main thread: hands on the picture the hook left last.
  void ShowHookedPicture();
  void SetButtons(bool playing);

  const TlvFilesRecord& rec_;
  const std::string settingsIni_;
  std::int64_t durationUs_ = 0;
  bool seekDrag_ = false;

  // Handed from the video thread to the main thread; one picture waits at
  // most, a newer one replaces it.
  std::mutex hookedMutex_;
  TBitmap hooked_;
  std::int64_t hookedPts_ = 0;
  bool hookedPosted_ = false;

  TFFPlayer FFPlayer;
  QPushButton* imgbtnPlay = nullptr;
  QPushButton* imgbtnpause = nullptr;
  QSlider* trcPreview = nullptr;
  QLabel* lblTime = nullptr;
  QLabel* lblPTS = nullptr;
};

}  // namespace kx
