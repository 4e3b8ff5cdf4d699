#pragma once
// TfrmCrop: the modal "Crop" dialog. Its own player hands every decoded
// picture to a hook; a timer paints the last one on the left with the crop
// rectangle over it, and on the right cropped and colour-adjusted as the
// conversion will give it. On Ok the margins (preview and source pixels),
// the zoom choice and the four adjustments go into the job record. Created
// anew at every opening. Main thread, except FFPlayerHook.
#include <array>
#include <mutex>
#include <string>

#include <QDialog>

#include <QRect>
#include "engine/bitmap.h"
#include "player/ff_player.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QPushButton;
class QSpinBox;
class QTimer;

namespace kx {

class TDialogTransport;
class TPictureButton;
class TRectTracker;
class TTrackBar2;
struct TlvFilesRecord;

class TfrmCrop : public QDialog {
  Q_OBJECT

 public:
  TfrmCrop(std::string settingsIni, QWidget* parent);
  ~TfrmCrop() override;

  // Opens the title of `rec` on `drive` and shows its stored crop and
  // adjustments; Ok writes `rec`, which must outlive the dialog.
  void LoadTitle(TlvFilesRecord& rec, const std::string& drive);

  // The preview area: where the picture lies in imgPreview, less one pixel
  // on every side.
  QRect View() const { return view_; }

  void btnCropResetClick();
  void btnEffectResetClick();
  void btnOkClick();

 protected:
  void done(int result) override;

 private:
  // The four margins in the order of the boxes.
  enum Side { sUp, sLeft, sDown, sRight, kSides };
  // The four adjustments in the order of their bars.
  enum Effect { eContrast, eBrightness, eSaturation, eExposure, kEffects };

  QWidget* CreateCropPage();
  QWidget* CreateEffectPage();
  bool OpenTitle();
  void FFPlayerFileOpen(std::int64_t duration);
  void FFPlayerPosition(std::int64_t pts);
  void FFPlayerHook(const TBitmap& picture);  // video decoding thread
  void Timer1Timer();
  void MarginChange(Side side);
  void PlaceTracker();
  void RectTrackerMoved();
  void SetMargins(const std::array<int, kSides>& margins);
  std::array<int, kSides> SourceMargins() const;
  void SetEffect(Effect effect, int value);
  int EffectValue(Effect effect) const;

  std::string settingsIni_;
  TFFPlayer FFPlayer;
  TlvFilesRecord* rec_ = nullptr;
  std::string drive_;

  QLabel* imgPreview;
  QLabel* imgOutput;
  TRectTracker* RectTracker;
  TTrackBar2* trcPreview;
  TTrackBar2* trcVolume;
  TPictureButton* imgbtnMute;
  QLabel* lblTime;
  QLabel* lblPTS;
  std::array<QSpinBox*, kSides> spedMargin_{};
  std::array<TTrackBar2*, kEffects> trcEffect_{};
  std::array<QSpinBox*, kEffects> spedtEffect_{};
  QComboBox* cmbZoom;
  QCheckBox* ckProcessText;
  QCheckBox* ckProcessImage;
  QTimer* Timer1;
  TDialogTransport* transport_;

  int SourceWidth = 0;
  int SourceHeight = 0;
  QRect view_;
  std::array<int, kSides> previousMargins_{};
  bool trackerUpdating_ = false;
  std::int64_t durationUs_ = 0;

  std::mutex frameMutex_;
  TBitmap LastFrame;  // under frameMutex_; empty until the first picture
  TBitmap frame_;     // the timer's copy, adjusted in place
};

}  // namespace kx
