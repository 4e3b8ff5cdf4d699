#include "edit/crop_dialog.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <QSpinBox>
#include <QTabWidget>
#include <QTimer>
#include <QVBoxLayout>

#include "app/settings_store.h"
#include "app/sound_settings.h"
#include "app/title_job.h"
#include "app/title_row_texts.h"
#include "controls/picture_button.h"
#include "controls/rect_tracker.h"
#include "controls/track_bar2.h"
#include "conversion/picture_fit.h"
#include "edit/colour_adjustment.h"
#include "edit/crop_geometry.h"
#include "edit/dialog_transport.h"
#include "preview/preview_bars.h"

namespace kx {

namespace {

constexpr QSize kPane(420, 303);
const QColor kPaneColour(166, 202, 240);

struct EffectSpec {
  const char* caption;
  const char* bar;
  const char* box;
  int min;
  int max;
  int neutral;
};
// In the order of TfrmCrop::Effect.
constexpr EffectSpec kEffectSpecs[] = {
    {"Contrast:", "trcContrast", "spedtContrast", -100, 100, kNeutralContrast},
    {"Brightness:", "trcBrightness", "spedtBrightness", 0, 512, kNeutralBrightness},
    {"Saturation:", "trcSaturation", "spedtSaturation", 0, 512, kNeutralSaturation},
    {"Exposure:", "trcExposure", "spedtExposure", -255, 512, kNeutralExposure},
};

struct MarginSpec {
  const char* caption;
  const char* box;
};
// In the order of TfrmCrop::Side.
constexpr MarginSpec kMarginSpecs[] = {{"Up:", "spedUp"}, {"Left:", "spedLeft"}, {"Down:", "spedDown"},
                                       {"Right:", "spedRight"}};

TTrackBar2* Bar(const char* name, int min, int max, QWidget* parent) {
  auto* bar = new TTrackBar2(parent);
  bar->setObjectName(name);
  bar->SetThumbSize(14);
  bar->SetTickStyle(TTickStyle::tiUserDrawn);
  bar->SetMin(min);
  bar->SetMax(max);
  bar->setFixedHeight(22);
  return bar;
}

QLabel* Pane(const char* name, QWidget* parent) {
  auto* pane = new QLabel(parent);
  pane->setObjectName(name);
  pane->setFixedSize(kPane);
  return pane;
}

// `picture` fitted into an empty pane (a picture without area draws nothing).
QPixmap PanePicture(const QImage& picture) {
  QPixmap pane(kPane);
  pane.fill(kPaneColour);
  if (!picture.isNull()) {
    const FitRect r = FitPicture(kPane.width(), kPane.height(), picture.width(), picture.height());
    QPainter painter(&pane);
    painter.drawImage(QRect(r.x, r.y, r.width, r.height), picture);
  }
  return pane;
}

// A view of `width` × `height` pixels of `bitmap` from (left, top), without copying.
QImage ImageOf(const TBitmap& bitmap, int left, int top, int width, int height) {
  if (width <= 0 || height <= 0) return {};
  return QImage(bitmap.Pixels.data() + static_cast<std::size_t>(bitmap.Stride) * top + 3 * left, width, height,
                bitmap.Stride, QImage::Format_BGR888);
}

}  // namespace

TfrmCrop::TfrmCrop(std::string settingsIni, QWidget* parent) : QDialog(parent), settingsIni_(std::move(settingsIni)) {
  setObjectName("frmCrop");
  setWindowTitle("Crop");
  auto* previewArea = new QWidget(this);
  previewArea->setFixedSize(kPane);
  imgPreview = Pane("imgPreview", previewArea);
  RectTracker = new TRectTracker(previewArea);
  RectTracker->setObjectName("RectTracker");
  imgOutput = Pane("imgOutput", this);
  imgPreview->setPixmap(PanePicture({}));
  imgOutput->setPixmap(PanePicture({}));

  trcPreview = Bar("trcPreview", 0, 0, this);
  SkinPreviewBar(trcPreview, PreviewBarKind::Position);
  trcVolume = Bar("trcVolume", 0, kMaxVolume, this);
  SkinPreviewBar(trcVolume, PreviewBarKind::Volume);
  trcVolume->setFixedWidth(90);
  imgbtnMute = new TPictureButton(Glyph::Speaker, {}, QSize(26, 22), this);
  imgbtnMute->setObjectName("imgbtnMute");
  imgbtnMute->setCheckable(true);
  lblTime = new QLabel(this);
  lblTime->setObjectName("lblTime");
  lblPTS = new QLabel(this);
  lblPTS->setObjectName("lblPTS");
  transport_ = new TDialogTransport(this, {&FFPlayer, trcPreview, [this] { return OpenTitle(); }, [this] {
                                             lblTime->setText("00:00:00");
                                             lblPTS->setText("00:00:00");
                                           }});

  // Kept for the job record; the choice is not offered.
  cmbZoom = new QComboBox(this);
  cmbZoom->setObjectName("cmbZoom");
  cmbZoom->addItems({"Full screen", "Letterbox"});
  cmbZoom->hide();
  ckProcessText = new QCheckBox("Process  Added Text", this);
  ckProcessText->setObjectName("ckProcessText");
  ckProcessText->hide();
  ckProcessImage = new QCheckBox("Process  Added Image", this);
  ckProcessImage->setObjectName("ckProcessImage");
  ckProcessImage->hide();

  auto* pages = new QTabWidget(this);
  pages->addTab(CreateEffectPage(), "Effect");
  pages->addTab(CreateCropPage(), "Crop");

  auto* btnDefault = new QPushButton("&Default", this);
  btnDefault->setObjectName("btnDefault");
  auto* btnOk = new QPushButton("Ok", this);
  btnOk->setObjectName("btnOk");
  auto* btnCancel = new QPushButton("Cancel", this);
  btnCancel->setObjectName("btnCancel");

  auto* pictures = new QHBoxLayout;
  pictures->addWidget(previewArea);
  pictures->addWidget(imgOutput);
  auto* playRow = new QHBoxLayout;
  for (QWidget* button : {transport_->imgbtnPlay, transport_->imgbtnpause, transport_->imgbtnStop})
    playRow->addWidget(button);
  playRow->addWidget(trcPreview, 1);
  playRow->addWidget(lblTime);
  playRow->addWidget(new QLabel("/", this));
  playRow->addWidget(lblPTS);
  playRow->addWidget(imgbtnMute);
  playRow->addWidget(trcVolume);
  auto* buttons = new QHBoxLayout;
  buttons->addStretch(1);
  for (QWidget* button : {btnDefault, btnOk, btnCancel}) buttons->addWidget(button);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(pictures);
  layout->addLayout(playRow);
  layout->addWidget(pages);
  layout->addLayout(buttons);

  Timer1 = new QTimer(this);
  Timer1->setInterval(100);
  connect(Timer1, &QTimer::timeout, this, &TfrmCrop::Timer1Timer);
  connect(RectTracker, &TRectTracker::OnMouseMove, this, &TfrmCrop::RectTrackerMoved);
  connect(RectTracker, &TRectTracker::OnMouseUp, this, &TfrmCrop::RectTrackerMoved);
  connect(btnDefault, &QPushButton::clicked, this, &TfrmCrop::btnCropResetClick);
  connect(btnOk, &QPushButton::clicked, this, &TfrmCrop::btnOkClick);
  connect(btnCancel, &QPushButton::clicked, this, &QDialog::reject);
  connect(trcVolume, &TTrackBar2::OnChange, this, [this] {
    FFPlayer.SetAudioVolume(trcVolume->PositionL());
    WriteInteger(settingsIni_, "settings", kVolumeKey, trcVolume->PositionL());
  });
  // The button keeps its own state: a click has toggled it already.
  connect(imgbtnMute, &QAbstractButton::clicked, this, [this] {
    FFPlayer.SetMute(imgbtnMute->isChecked());
    WriteInteger(settingsIni_, "settings", kMuteKey, imgbtnMute->isChecked() ? 1 : 0);
  });

  FFPlayer.OnFileOpen = [this](TFFPlayer*, std::int64_t duration, int, int, int&, int&) {
    FFPlayerFileOpen(duration);
  };
  FFPlayer.OnPosition = [this](TFFPlayer*, std::int64_t pts) { FFPlayerPosition(pts); };
  FFPlayer.OnState = [this](TFFPlayer*, TPlayState state) { transport_->PlayerState(state); };
  FFPlayer.OnHook = [this](TFFPlayer*, TBitmap& picture, std::int64_t) { FFPlayerHook(picture); };
  FFPlayer.SetHook(true);
}

TfrmCrop::~TfrmCrop() { FFPlayer.Stop(true); }

QWidget* TfrmCrop::CreateEffectPage() {
  auto* page = new QWidget;
  auto* grid = new QGridLayout(page);
  for (int e = 0; e < kEffects; ++e) {
    const EffectSpec& spec = kEffectSpecs[e];
    auto* bar = Bar(spec.bar, spec.min, spec.max, page);
    bar->SetPositionL(spec.neutral);
    auto* box = new QSpinBox(page);
    box->setObjectName(spec.box);
    box->setRange(spec.min, spec.max);
    box->setValue(spec.neutral);
    trcEffect_[e] = bar;
    spedtEffect_[e] = box;
    grid->addWidget(new QLabel(spec.caption, page), e, 0);
    grid->addWidget(bar, e, 1);
    grid->addWidget(box, e, 2);
    connect(bar, &TTrackBar2::OnChange, box, [bar, box] { box->setValue(bar->PositionL()); });
    connect(box, &QSpinBox::valueChanged, bar, &TTrackBar2::SetPositionL);
  }
  auto* btnEffectReset = new QPushButton("Reset", page);
  btnEffectReset->setObjectName("btnEffectReset");
  connect(btnEffectReset, &QPushButton::clicked, this, &TfrmCrop::btnEffectResetClick);
  grid->addWidget(btnEffectReset, kEffects, 2);
  return page;
}

QWidget* TfrmCrop::CreateCropPage() {
  auto* page = new QWidget;
  auto* grid = new QGridLayout(page);
  for (int s = 0; s < kSides; ++s) {
    auto* box = new QSpinBox(page);
    box->setObjectName(kMarginSpecs[s].box);
    box->setRange(0, kPane.width());
    spedMargin_[s] = box;
    grid->addWidget(new QLabel(kMarginSpecs[s].caption, page), s / 2, 2 * (s % 2));
    grid->addWidget(box, s / 2, 2 * (s % 2) + 1);
    connect(box, &QSpinBox::valueChanged, this, [this, s] { MarginChange(static_cast<Side>(s)); });
  }
  auto* btnCropReset = new QPushButton("Reset", page);
  btnCropReset->setObjectName("btnCropReset");
  connect(btnCropReset, &QPushButton::clicked, this, &TfrmCrop::btnCropResetClick);
  grid->addWidget(btnCropReset, 2, 3);
  return page;
}

void TfrmCrop::LoadTitle(TlvFilesRecord& rec, const std::string& drive) {
  rec_ = &rec;
  drive_ = drive;
  lblTime->clear();
  lblPTS->clear();
  cmbZoom->setCurrentIndex(rec.Zoom == "lbox" ? 1 : 0);
  {
    const QSignalBlocker quiet(trcVolume);  // showing the stored volume is no change to store
    trcVolume->SetPositionL(ReadVolume(settingsIni_));
  }
  imgbtnMute->setChecked(ReadMute(settingsIni_));
  const bool opened = OpenTitle();
  transport_->Opened(opened);
  if (!opened) {
    // Nothing was loaded from the record, so Ok must not store anything.
    rec_ = nullptr;
    return;
  }
  TVideoStreamInfo video;
  TAVProbe& probe = FFPlayer.Probe();
  if (probe.VideoStreamCount() > 0) probe.GetVideoStreamInfo(probe.FirstVideoStream(), video);
  const bool hasVideo = video.Width > 0 && video.Height > 0;
  if (hasVideo) {
    SourceWidth = video.Width;
    SourceHeight = video.Height;
    const FitRect fit = FitPicture(kPane.width(), kPane.height(), SourceWidth, SourceHeight);
    view_ = QRect(fit.x, fit.y, fit.width, fit.height).adjusted(1, 1, -1, -1);
    // The tracker limits its inner rectangle; this keeps its bounds, which
    // the margins measure, inside the preview area.
    RectTracker->SetLimit(view_.adjusted(2, 2, -2, -2));
    SetMargins({rec.ViewCropTop, rec.ViewCropLeft, rec.ViewCropBottom, rec.ViewCropRight});
    // Stored margins pass the same check as typed ones, which places the rectangle.
    for (int s = 0; s < kSides; ++s) MarginChange(static_cast<Side>(s));
  } else {
    SetMargins({0, 0, 0, 0});
  }
  RectTracker->setVisible(hasVideo);
  for (QSpinBox* box : spedMargin_) box->setEnabled(hasVideo);
  for (TTrackBar2* bar : trcEffect_) bar->setEnabled(hasVideo);
  for (QSpinBox* box : spedtEffect_) box->setEnabled(hasVideo);
  SetEffect(eBrightness, rec.Brightness);
  SetEffect(eContrast, rec.Contrast);
  SetEffect(eSaturation, rec.Saturation);
  SetEffect(eExposure, rec.Exposure);
  ckProcessText->setChecked(rec.ProcessText);
  ckProcessImage->setChecked(rec.ProcessImage);
  Timer1->start();
}

bool TfrmCrop::OpenTitle() {
  if (!rec_) return false;
  // Nothing is drawn by the player: the panes are painted from the hook's pictures.
  return OpenDialogTitle(FFPlayer, drive_, rec_->TitleIndex, nullptr);
}

// Inside Open, on the main thread.
void TfrmCrop::FFPlayerFileOpen(std::int64_t duration) {
  durationUs_ = duration;
  transport_->SetDuration(duration);
  lblPTS->setText(QString::fromStdString(DurationText(std::llround(duration / 1e6))));
  trcPreview->SetMax(std::max(trcPreview->width(), 1));
  trcPreview->SetPositionL(0);
  FFPlayer.SetAudioVolume(trcVolume->PositionL());
  FFPlayer.SetMute(imgbtnMute->isChecked());
}

void TfrmCrop::FFPlayerPosition(std::int64_t pts) {
  lblTime->setText(QString::fromStdString(DurationText(std::llround(pts / 1e6))));
  transport_->ShowPosition(pts);
}

// Video decoding thread: keeps a copy for the timer; the buffer is reused
// while the picture size stays.
void TfrmCrop::FFPlayerHook(const TBitmap& picture) {
  const std::lock_guard lock(frameMutex_);
  if (LastFrame.Width != picture.Width || LastFrame.Height != picture.Height)
    LastFrame.Resize(picture.Width, picture.Height);
  const std::size_t rowBytes = static_cast<std::size_t>(picture.Width) * 3;
  for (int y = 0; y < picture.Height; ++y) std::memcpy(LastFrame.Row(y), picture.Row(y), rowBytes);
}

void TfrmCrop::Timer1Timer() {
  {
    const std::lock_guard lock(frameMutex_);
    if (LastFrame.Width <= 0 || LastFrame.Height <= 0) return;
    frame_ = LastFrame;  // the vector keeps its capacity from tick to tick
  }
  imgPreview->setPixmap(PanePicture(ImageOf(frame_, 0, 0, frame_.Width, frame_.Height)));
  // The same adjustment the conversion's frame hook makes, so the picture shows what the file will get.
  const TColorAdjustment adjustment(EffectValue(eBrightness), EffectValue(eContrast), EffectValue(eSaturation),
                                    EffectValue(eExposure));
  if (!adjustment.Neutral()) adjustment.Apply(frame_);
  const std::array<int, kSides> m = SourceMargins();
  const int left = std::min(m[sLeft], frame_.Width);
  const int top = std::min(m[sUp], frame_.Height);
  imgOutput->setPixmap(PanePicture(ImageOf(frame_, left, top, frame_.Width - left - m[sRight],
                                           frame_.Height - top - m[sDown])));
}

std::array<int, TfrmCrop::kSides> TfrmCrop::SourceMargins() const {
  return {SourceMargin(spedMargin_[sUp]->value(), SourceHeight, view_.height()),
          SourceMargin(spedMargin_[sLeft]->value(), SourceWidth, view_.width()),
          SourceMargin(spedMargin_[sDown]->value(), SourceHeight, view_.height()),
          SourceMargin(spedMargin_[sRight]->value(), SourceWidth, view_.width())};
}

void TfrmCrop::SetMargins(const std::array<int, kSides>& margins) {
  trackerUpdating_ = true;
  for (int s = 0; s < kSides; ++s) spedMargin_[s]->setValue(std::max(margins[s], 0));
  trackerUpdating_ = false;
  for (int s = 0; s < kSides; ++s) previousMargins_[s] = spedMargin_[s]->value();
}

// A typed margin. The rectangle never gets narrower than the tracker's
// smallest side: a larger value is cut back to what still fits.
void TfrmCrop::MarginChange(Side side) {
  if (trackerUpdating_) return;
  const bool vertical = side == sUp || side == sDown;
  const int across = vertical ? view_.height() : view_.width();
  const Side opposite = static_cast<Side>((side + 2) % kSides);
  const int fits = std::max(across - spedMargin_[opposite]->value() - TRectTracker::kMinSide, 0);
  if (spedMargin_[side]->value() > fits) {
    const QSignalBlocker quiet(spedMargin_[side]);
    spedMargin_[side]->setValue(std::max(std::min(previousMargins_[side], fits), 0));
  }
  previousMargins_[side] = spedMargin_[side]->value();
  PlaceTracker();
}

void TfrmCrop::PlaceTracker() {
  const int left = view_.x() + spedMargin_[sLeft]->value();
  const int top = view_.y() + spedMargin_[sUp]->value();
  RectTracker->setGeometry(left, top, view_.x() + view_.width() - spedMargin_[sRight]->value() - left,
                           view_.y() + view_.height() - spedMargin_[sDown]->value() - top);
}

// The tracker holds itself inside the preview area while it is dragged;
// the margins follow its bounds.
void TfrmCrop::RectTrackerMoved() {
  const QRect r = RectTracker->geometry();
  SetMargins({r.top() - view_.y(), r.left() - view_.x(), view_.y() + view_.height() - r.height() - r.top(),
              view_.x() + view_.width() - r.width() - r.left()});
}

void TfrmCrop::btnCropResetClick() {
  SetMargins({0, 0, 0, 0});
  PlaceTracker();
}

void TfrmCrop::SetEffect(Effect effect, int value) { spedtEffect_[effect]->setValue(value); }

int TfrmCrop::EffectValue(Effect effect) const { return trcEffect_[effect]->PositionL(); }

void TfrmCrop::btnEffectResetClick() {
  for (int e = 0; e < kEffects; ++e) SetEffect(static_cast<Effect>(e), kEffectSpecs[e].neutral);
  ckProcessText->setChecked(false);
  ckProcessImage->setChecked(false);
}

void TfrmCrop::btnOkClick() {
  if (rec_) {
    const std::array<int, kSides> source = SourceMargins();
    rec_->ViewCropTop = spedMargin_[sUp]->value();
    rec_->ViewCropLeft = spedMargin_[sLeft]->value();
    rec_->ViewCropBottom = spedMargin_[sDown]->value();
    rec_->ViewCropRight = spedMargin_[sRight]->value();
    rec_->CropTop = source[sUp];
    rec_->CropLeft = source[sLeft];
    rec_->CropBottom = source[sDown];
    rec_->CropRight = source[sRight];
    rec_->Zoom = cmbZoom->currentIndex() == 1 ? "lbox" : "full";
    rec_->Brightness = EffectValue(eBrightness);
    rec_->Contrast = EffectValue(eContrast);
    rec_->Saturation = EffectValue(eSaturation);
    rec_->Exposure = EffectValue(eExposure);
    rec_->ProcessText = ckProcessText->isChecked();
    rec_->ProcessImage = ckProcessImage->isChecked();
  }
  accept();
}

void TfrmCrop::done(int result) {
  Timer1->stop();
  FFPlayer.Stop(true);
  QDialog::done(result);
}

}  // namespace kx
