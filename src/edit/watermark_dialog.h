#pragma once
// TfrmWaterMark: edits the watermark items of one title on a live preview.
// Each item is one entry of the list, one working TWmRec and one layer of
// the view, all at the same index; the layer holds where the item lies and
// how opaque it is. The title's record is written only by Ok. Main thread
// only. Create one per opening.
#include <QDialog>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "app/title_job.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;
class QRadioButton;
class QSlider;

namespace kx {

class TLayerView;
class TTrackBar2;
class TWatermarkPreview;

class TfrmWaterMark : public QDialog {
  Q_OBJECT

 public:
  // `drive` is the disc the title is on (empty: nothing plays); `settingsIni`
  // holds the stored mute.
  TfrmWaterMark(TlvFilesRecord& rec, std::string drive, std::string settingsIni, QWidget* parent = nullptr);
  // Stops the player and waits for it.
  ~TfrmWaterMark() override;

  // Asks for the picture of a new item; empty when the user cancels. Tests
  // replace it with a scripted answer.
  std::function<std::string()> ChooseImageFile;

  void btnOkClick();
  void btnAddTextClick();
  // Throws std::runtime_error, with nothing added, when the file cannot be
  // read as a picture.
  void btnAddImageClick();
  void btnDeleteClick();
  void btnUpClick();
  void btnDownClick();

  // Cancel, Escape and the close button: nothing is written.
  void reject() override;

 protected:
  void showEvent(QShowEvent* event) override;

 private:
  void CreateControls();
  QWidget* CreateItemControls();
  void ConnectControls();
  void LoadItems();

  // The style of the four style boxes.
  TFontStyle CheckedStyle() const;
  int Current() const;
  TWmRec* CurrentItem();
  void AppendItem(TWmRec item, const QString& entry, QImage picture, QRectF location);
  void RenderTextLayer(int index);
  void EnableItemControls();
  void lsboxClick();
  void ShowPosition();
  void EditCurrentText();
  void edt1Change(const QString& text);
  void trcTextHorizChange(int value);
  void trcTextVertChange(int value);
  void trcTextTranChange(int value);
  void trcRangeChange();
  void ChangeText(const std::function<void(TWmRec&)>& change);
  void MoveEntry(int from, int to);

  void TitleOpened(std::int64_t duration, int frameWidth, int frameHeight);
  void ShowPicture(const QImage& picture, std::int64_t pts);

  TlvFilesRecord& rec_;
  const std::string drive_;
  const std::string settingsIni_;
  std::vector<TWmRec> items_;
  bool showing_ = false;  // controls are being set from an item: no write-back
  bool opened_ = false;

  TWatermarkPreview* preview_ = nullptr;
  TLayerView* ImgView = nullptr;
  QListWidget* lsbox = nullptr;
  QLineEdit* edt1 = nullptr;  // in-place editor of a text entry
  QPushButton* btnAddText = nullptr;
  QPushButton* btnAddImage = nullptr;
  QPushButton* btnDelete = nullptr;
  QPushButton* btnUp = nullptr;
  QPushButton* btnDown = nullptr;
  QPushButton* btnOk = nullptr;
  QPushButton* btnCancel = nullptr;
  QWidget* itemControls_ = nullptr;
  QWidget* textControls_ = nullptr;
  QSlider* trcTextHoriz = nullptr;
  QSlider* trcTextVert = nullptr;
  QSlider* trcTextTran = nullptr;
  QLineEdit* edtTextHoriz = nullptr;
  QLineEdit* edtTextVert = nullptr;
  QLineEdit* edtTextTran = nullptr;
  TTrackBar2* trcRange = nullptr;
  QLineEdit* edtStart = nullptr;
  QLineEdit* edtEnd = nullptr;
  QComboBox* skFontCmb = nullptr;
  QComboBox* skFontSizeCmb = nullptr;
  QComboBox* skColorBoxcmb = nullptr;
  QComboBox* skColorBoxbackground = nullptr;
  QCheckBox* skChkBold = nullptr;
  QCheckBox* skChkItalic = nullptr;
  QCheckBox* skChkUnderline = nullptr;
  QCheckBox* skChkStrikeOut = nullptr;
  QRadioButton* rb1 = nullptr;  // "Background color"
  QRadioButton* rb2 = nullptr;  // "Transparent"
};

}  // namespace kx
