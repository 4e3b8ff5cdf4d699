#include "edit/watermark_dialog.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFileDialog>
#include <QFileInfo>
#include <QFontDatabase>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QSlider>
#include <QStyle>
#include <QVBoxLayout>
#include <cmath>

#include "app/title_row_texts.h"
#include "controls/colour_box.h"
#include "controls/layer_view.h"
#include "controls/track_bar2.h"
#include "edit/watermark_preview.h"
#include "edit/watermark_render.h"

namespace kx {
namespace {

constexpr int kDefaultSizeEntry = 19;  // "26"
constexpr int kDefaultTransparency = 125;
constexpr int kRangeMaxWithoutTitle = 20;

template <class Widget>
Widget* Named(Widget* widget, const char* name) {
  widget->setObjectName(name);
  return widget;
}

QLineEdit* ReadOnlyEdit(const char* name) {
  auto* edit = Named(new QLineEdit, name);
  edit->setReadOnly(true);
  edit->setMaximumWidth(70);
  return edit;
}

QSlider* Bar(const char* name, int max) {
  auto* bar = Named(new QSlider(Qt::Horizontal), name);
  bar->setRange(0, max);
  return bar;
}

QString SecondsText(int seconds) { return QString::fromStdString(DurationText(seconds)); }

TFontStyle StyleBit(const QCheckBox* box, TFontStyle style) { return box->isChecked() ? style : TFontStyle::None; }

}  // namespace

TfrmWaterMark::TfrmWaterMark(TlvFilesRecord& rec, std::string drive, std::string settingsIni, QWidget* parent)
    : QDialog(parent), rec_(rec), drive_(std::move(drive)), settingsIni_(std::move(settingsIni)) {
  setObjectName("frmWaterMark");
  setWindowTitle("Water Mark");
  ChooseImageFile = [this] {
    return QFileDialog::getOpenFileName(this, "Add Image", QString(),
                                        "Picture files (*.bmp *.jpg *.jpeg *.png);;Bitmap files (*.bmp)")
        .toStdString();
  };
  CreateControls();
  ConnectControls();
  LoadItems();
}

TfrmWaterMark::~TfrmWaterMark() { preview_->Stop(); }

void TfrmWaterMark::CreateControls() {
  auto* heading = new QLabel("Watermark");
  heading->setStyleSheet("font-size: 16px; font-weight: bold;");
  ImgView = Named(new TLayerView, "ImgView");
  ImgView->setMinimumSize(592, 427);
  if (rec_.TitleInfo.Width > 0 && rec_.TitleInfo.Height > 0) {
    QImage black(rec_.TitleInfo.Width, rec_.TitleInfo.Height, QImage::Format_RGB32);
    black.fill(Qt::black);
    ImgView->SetBasePicture(black);
  }
  lsbox = Named(new QListWidget, "lsbox");
  lsbox->setStyleSheet(
      "QListWidget::item { height: 24px; background: #f6f6f8; }"
      "QListWidget::item:selected { background: #b9cbec; border: 1px solid #7a9fda; color: black; }");
  edt1 = Named(new QLineEdit(lsbox->viewport()), "edt1");
  edt1->hide();
  btnAddText = Named(new QPushButton("Add Text"), "btnAddText");
  btnAddImage = Named(new QPushButton("Add Image"), "btnAddImage");
  btnDelete = Named(new QPushButton("Delete"), "btnDelete");
  btnUp = Named(new QPushButton("Up"), "btnUp");
  btnDown = Named(new QPushButton("Down"), "btnDown");
  btnOk = Named(new QPushButton("Ok"), "btnOk");
  btnCancel = Named(new QPushButton("Cancel"), "btnCancel");
  btnOk->setDefault(true);

  auto* listButtons = new QHBoxLayout;
  for (QPushButton* button : {btnAddText, btnAddImage, btnDelete, btnUp, btnDown}) listButtons->addWidget(button);
  auto* right = new QVBoxLayout;
  right->addWidget(lsbox, 1);
  right->addLayout(listButtons);
  right->addWidget(CreateItemControls());

  auto* left = new QVBoxLayout;
  left->addWidget(ImgView, 1);
  preview_ = new TWatermarkPreview(rec_, settingsIni_);
  left->addWidget(preview_);

  auto* body = new QHBoxLayout;
  body->addLayout(left, 3);
  body->addLayout(right, 2);
  auto* okRow = new QHBoxLayout;
  okRow->addStretch();
  okRow->addWidget(btnOk);
  okRow->addWidget(btnCancel);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(heading);
  layout->addLayout(body, 1);
  layout->addLayout(okRow);
}

QWidget* TfrmWaterMark::CreateItemControls() {
  itemControls_ = new QWidget;
  trcTextHoriz = Bar("trcTextHoriz", rec_.TitleInfo.Width);
  trcTextVert = Bar("trcTextVert", rec_.TitleInfo.Height);
  trcTextTran = Bar("trcTextTran", 255);
  trcTextTran->setValue(kDefaultTransparency);
  edtTextHoriz = ReadOnlyEdit("edtTextHoriz");
  edtTextVert = ReadOnlyEdit("edtTextVert");
  edtTextTran = ReadOnlyEdit("edtTextTran");
  edtTextTran->setText(QString::number(kDefaultTransparency));
  trcRange = Named(new TTrackBar2, "trcRange");
  trcRange->SetSecondThumb(true);
  trcRange->SetMax(kRangeMaxWithoutTitle);
  trcRange->setMinimumHeight(30);
  edtStart = ReadOnlyEdit("edtStart");
  edtEnd = ReadOnlyEdit("edtEnd");

  auto* grid = new QGridLayout(itemControls_);
  grid->setContentsMargins(0, 0, 0, 0);
  const std::pair<const char*, std::pair<QSlider*, QLineEdit*>> bars[] = {
      {"Horizontal:", {trcTextHoriz, edtTextHoriz}},
      {"Vertical:", {trcTextVert, edtTextVert}},
      {"Transparency:", {trcTextTran, edtTextTran}}};
  int row = 0;
  for (const auto& [caption, controls] : bars) {
    grid->addWidget(new QLabel(caption), row, 0);
    grid->addWidget(controls.first, row, 1, 1, 3);
    grid->addWidget(controls.second, row++, 4);
  }
  grid->addWidget(new QLabel("Time:"), row, 0);
  grid->addWidget(trcRange, row++, 1, 1, 4);
  const std::pair<const char*, const char*> arrows[] = {{"btnStartUpStartDown", "-"},
                                                        {"btnStartUp1", "+"},
                                                        {"btnStartUpEndDown", "-"},
                                                        {"btnStartUpEndUp", "+"}};
  grid->addWidget(new QLabel("Start:"), row, 0);
  grid->addWidget(edtStart, row, 1);
  grid->addWidget(new QLabel("End:"), row + 1, 0);
  grid->addWidget(edtEnd, row + 1, 1);
  for (int i = 0; i < 4; ++i) {
    auto* arrow = Named(new QPushButton(arrows[i].second), arrows[i].first);
    arrow->setMaximumWidth(30);
    grid->addWidget(arrow, row + i / 2, 2 + i % 2);
  }
  row += 2;

  textControls_ = new QWidget;
  auto* text = new QGridLayout(textControls_);
  text->setContentsMargins(0, 0, 0, 0);
  skFontCmb = Named(new QComboBox, "skFontCmb");
  skFontCmb->addItems(QFontDatabase::families());
  skFontSizeCmb = Named(new QComboBox, "skFontSizeCmb");
  for (int size = 7; size <= 70; ++size) skFontSizeCmb->addItem(QString::number(size));
  skFontSizeCmb->setCurrentIndex(kDefaultSizeEntry);
  skColorBoxcmb = Named(new QComboBox, "skColorBoxcmb");
  FillColourBox(skColorBoxcmb);
  skColorBoxcmb->setCurrentIndex(kColourBlueEntry);
  skColorBoxbackground = Named(new QComboBox, "skColorBoxbackground");
  FillColourBox(skColorBoxbackground);
  skColorBoxbackground->setCurrentIndex(kColourGreenEntry);
  skChkBold = Named(new QCheckBox("Bold"), "skChkBold");
  skChkItalic = Named(new QCheckBox("Italic"), "skChkItalic");
  skChkUnderline = Named(new QCheckBox("Underline"), "skChkUnderline");
  skChkStrikeOut = Named(new QCheckBox("Strikeout"), "skChkStrikeOut");
  rb1 = Named(new QRadioButton("Background color"), "rb1");
  rb2 = Named(new QRadioButton("Transparent"), "rb2");
  rb1->setChecked(true);
  text->addWidget(new QLabel("Font:"), 0, 0);
  text->addWidget(skFontCmb, 0, 1, 1, 2);
  text->addWidget(skFontSizeCmb, 0, 3);
  text->addWidget(new QLabel("Color:"), 1, 0);
  text->addWidget(skColorBoxcmb, 1, 1, 1, 3);
  for (int i = 0; QCheckBox * box : {skChkBold, skChkItalic, skChkUnderline, skChkStrikeOut}) text->addWidget(box, 2, i++);
  text->addWidget(rb1, 3, 0, 1, 2);
  text->addWidget(skColorBoxbackground, 3, 2, 1, 2);
  text->addWidget(rb2, 4, 0, 1, 2);
  grid->addWidget(textControls_, row, 0, 1, 5);
  return itemControls_;
}

void TfrmWaterMark::ConnectControls() {
  connect(btnOk, &QPushButton::clicked, this, &TfrmWaterMark::btnOkClick);
  connect(btnCancel, &QPushButton::clicked, this, &TfrmWaterMark::reject);
  connect(btnAddText, &QPushButton::clicked, this, &TfrmWaterMark::btnAddTextClick);
  connect(btnAddImage, &QPushButton::clicked, this, &TfrmWaterMark::btnAddImageClick);
  connect(btnDelete, &QPushButton::clicked, this, &TfrmWaterMark::btnDeleteClick);
  connect(btnUp, &QPushButton::clicked, this, &TfrmWaterMark::btnUpClick);
  connect(btnDown, &QPushButton::clicked, this, &TfrmWaterMark::btnDownClick);
  connect(preview_, &TWatermarkPreview::FileOpened, this, &TfrmWaterMark::TitleOpened);
  connect(preview_, &TWatermarkPreview::PictureShown, this, &TfrmWaterMark::ShowPicture);
  connect(lsbox, &QListWidget::currentRowChanged, this, &TfrmWaterMark::lsboxClick);
  connect(lsbox, &QListWidget::itemDoubleClicked, this, &TfrmWaterMark::EditCurrentText);
  connect(edt1, &QLineEdit::textEdited, this, &TfrmWaterMark::edt1Change);
  connect(edt1, &QLineEdit::editingFinished, edt1, &QWidget::hide);
  connect(ImgView, &TLayerView::LayerClicked, this, [this](int index) { lsbox->setCurrentRow(index); });
  connect(ImgView, &TLayerView::LayerDragged, this, &TfrmWaterMark::ShowPosition);
  connect(trcTextHoriz, &QSlider::valueChanged, this, &TfrmWaterMark::trcTextHorizChange);
  connect(trcTextVert, &QSlider::valueChanged, this, &TfrmWaterMark::trcTextVertChange);
  connect(trcTextTran, &QSlider::valueChanged, this, &TfrmWaterMark::trcTextTranChange);
  connect(trcRange, &TTrackBar2::OnChange, this, &TfrmWaterMark::trcRangeChange);
  const std::pair<const char*, std::pair<bool, int>> arrows[] = {{"btnStartUpStartDown", {false, -1}},
                                                                 {"btnStartUp1", {false, 1}},
                                                                 {"btnStartUpEndDown", {true, -1}},
                                                                 {"btnStartUpEndUp", {true, 1}}};
  for (const auto& [name, step] : arrows)
    connect(findChild<QPushButton*>(name), &QPushButton::clicked, this, [this, upper = step.first, by = step.second] {
      if (upper) trcRange->SetPositionU(trcRange->PositionU() + by);
      else trcRange->SetPositionL(trcRange->PositionL() + by);
    });

  connect(rb1, &QRadioButton::toggled, this, [this](bool on) {
    skColorBoxbackground->setEnabled(on);
    ChangeText([on](TWmRec& item) { item.FillBack = on; });
  });
  connect(skColorBoxbackground, &QComboBox::currentIndexChanged, this,
          [this] { ChangeText([c = ChosenColour(skColorBoxbackground)](TWmRec& item) { item.BackColor = c; }); });
  connect(skColorBoxcmb, &QComboBox::currentIndexChanged, this,
          [this] { ChangeText([c = ChosenColour(skColorBoxcmb)](TWmRec& item) { item.Font.Color = c; }); });
  connect(skFontCmb, &QComboBox::currentTextChanged, this,
          [this](const QString& name) { ChangeText([n = name.toStdString()](TWmRec& item) { item.Font.Name = n; }); });
  connect(skFontSizeCmb, &QComboBox::currentTextChanged, this,
          [this](const QString& size) { ChangeText([s = size.toInt()](TWmRec& item) { item.Font.Size = s; }); });
  for (QCheckBox* box : {skChkBold, skChkItalic, skChkUnderline, skChkStrikeOut})
    connect(box, &QCheckBox::toggled, this, [this] {
      ChangeText([s = CheckedStyle()](TWmRec& item) { item.Font.Style = s; });
    });
}

// Items of the record with a text or a picture become entries; a picture
// that can no longer be read keeps its entry with an empty layer, so Ok
// does not drop it.
void TfrmWaterMark::LoadItems() {
  for (const TWmRec& item : rec_.WaterMarks) {
    if (item.Kind == kWmText && !item.Text.empty()) {
      AppendItem(item, QString::fromStdString(item.Text), OverlayImage(RenderTextItem(item)),
                 QRectF(item.TextLeft, item.TextTop, item.TextWidth, item.TextHeight));
    } else if (item.Kind == kWmImage && !item.ImageFile.empty()) {
      TWmRec ownSize;
      ownSize.ImageFile = item.ImageFile;
      QImage picture;
      try {
        picture = OverlayImage(LoadPictureItem(ownSize));
      } catch (const std::exception&) {
      }
      AppendItem(item, QFileInfo(QString::fromStdString(item.ImageFile)).fileName(), picture,
                 QRectF(item.ImageLeft, item.ImageTop, item.ImageWidth, item.ImageHeight));
    }
  }
  lsbox->setCurrentRow(lsbox->count() - 1);
  EnableItemControls();
}

void TfrmWaterMark::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  if (opened_) return;
  opened_ = true;
  preview_->Play(drive_);
}

// Inside the preview's Play, before the first picture.
void TfrmWaterMark::TitleOpened(std::int64_t duration, int frameWidth, int frameHeight) {
  trcRange->SetMax(static_cast<int>(duration / 1000000));
  trcTextHoriz->setMaximum(frameWidth);
  trcTextVert->setMaximum(frameHeight);
  if (frameWidth > 0 && frameHeight > 0 && ImgView->PictureSize() != QSize(frameWidth, frameHeight)) {
    QImage black(frameWidth, frameHeight, QImage::Format_RGB32);
    black.fill(Qt::black);
    ImgView->SetBasePicture(black);
  }
  lsboxClick();  // the bars' ranges changed
}

// The layers show in the seconds of their items (an item that ends before
// it starts never shows).
void TfrmWaterMark::ShowPicture(const QImage& picture, std::int64_t pts) {
  ImgView->SetBasePicture(picture);
  const std::int64_t second = pts / 1000000;
  for (int i = 0; i < static_cast<int>(items_.size()); ++i)
    ImgView->SetLayerVisible(i, items_[i].StartSec <= second && second <= items_[i].EndSec);
}

TFontStyle TfrmWaterMark::CheckedStyle() const {
  return StyleBit(skChkBold, TFontStyle::Bold) | StyleBit(skChkItalic, TFontStyle::Italic) |
         StyleBit(skChkUnderline, TFontStyle::Underline) | StyleBit(skChkStrikeOut, TFontStyle::StrikeOut);
}

int TfrmWaterMark::Current() const {
  const int row = lsbox->currentRow();
  return row >= 0 && row < static_cast<int>(items_.size()) ? row : -1;
}

TWmRec* TfrmWaterMark::CurrentItem() { return Current() < 0 ? nullptr : &items_[Current()]; }

void TfrmWaterMark::AppendItem(TWmRec item, const QString& entry, QImage picture, QRectF location) {
  const int opacity = item.Kind == kWmText ? item.TextAlpha : item.ImageAlpha;
  ImgView->AddLayer(TLayer{std::move(picture), location, opacity, item.Kind, true});
  auto* row = new QListWidgetItem(
      style()->standardIcon(item.Kind == kWmText ? QStyle::SP_FileDialogDetailedView : QStyle::SP_DesktopIcon), entry);
  items_.push_back(std::move(item));
  lsbox->addItem(row);
}

void TfrmWaterMark::btnAddTextClick() {
  edt1->hide();
  TWmRec item;
  item.Text = "Add Text";
  item.Font = TFont{skFontCmb->currentText().toStdString(), skFontSizeCmb->currentText().toInt(),
                    CheckedStyle(),
                    ChosenColour(skColorBoxcmb)};
  item.TextAlpha = trcTextTran->value();
  item.BackColor = ChosenColour(skColorBoxbackground);
  item.Kind = kWmText;
  item.EndSec = static_cast<int>(preview_->DurationUs() / 1000000);
  const QSizeF extent = TextExtent(item.Font, item.Text);
  const QPointF centre = ImgView->VisibleCentre();
  const QRectF location(centre - QPointF(extent.width() / 2, extent.height() / 2), extent);
  item.TextLeft = static_cast<int>(std::lround(location.left()));
  item.TextTop = static_cast<int>(std::lround(location.top()));
  item.TextWidth = static_cast<int>(extent.width());
  item.TextHeight = static_cast<int>(extent.height());
  AppendItem(item, "Add Text", OverlayImage(RenderTextItem(item)), location);
  lsbox->setCurrentRow(lsbox->count() - 1);
  EnableItemControls();
  EditCurrentText();
}

void TfrmWaterMark::btnAddImageClick() {
  edt1->hide();
  const std::string file = ChooseImageFile();
  if (file.empty()) return;
  TWmRec item;
  item.ImageFile = file;
  const QImage picture = OverlayImage(LoadPictureItem(item));
  const QPointF centre = ImgView->VisibleCentre();
  const QRectF location(centre - QPointF(picture.width() / 2.0, picture.height() / 2.0), QSizeF(picture.size()));
  item.ImageLeft = static_cast<int>(std::lround(location.left()));
  item.ImageTop = static_cast<int>(std::lround(location.top()));
  item.ImageWidth = picture.width();
  item.ImageHeight = picture.height();
  item.ImageAlpha = trcTextTran->value();
  item.Kind = kWmImage;
  item.EndSec = static_cast<int>(preview_->DurationUs() / 1000000);
  AppendItem(item, QFileInfo(QString::fromStdString(file)).fileName(), picture, location);
  lsbox->setCurrentRow(lsbox->count() - 1);
  EnableItemControls();
}

void TfrmWaterMark::btnDeleteClick() {
  const int index = Current();
  if (index < 0) return;
  edt1->hide();
  ImgView->RemoveLayer(index);
  items_.erase(items_.begin() + index);
  {
    const QSignalBlocker quiet(lsbox);
    delete lsbox->takeItem(index);
    lsbox->setCurrentRow(items_.empty() ? -1 : std::max(index - 1, 0));
  }
  lsboxClick();
  ImgView->SetSelected(-1);  // until the user picks an item again
  EnableItemControls();
}

void TfrmWaterMark::MoveEntry(int from, int to) {
  if (from < 0 || to < 0 || to >= static_cast<int>(items_.size())) return;
  const QSignalBlocker quiet(lsbox);
  std::swap(items_[from], items_[to]);
  lsbox->insertItem(to, lsbox->takeItem(from));
  lsbox->setCurrentRow(to);
  ImgView->MoveLayer(from, to);
}

void TfrmWaterMark::btnUpClick() { MoveEntry(Current(), Current() - 1); }
void TfrmWaterMark::btnDownClick() { MoveEntry(Current(), Current() + 1); }

void TfrmWaterMark::EnableItemControls() {
  itemControls_->setEnabled(!items_.empty());
  for (QPushButton* button : {btnDelete, btnUp, btnDown}) button->setEnabled(!items_.empty());
}

// Shows the current item in the controls and selects its layer.
void TfrmWaterMark::lsboxClick() {
  const int index = Current();
  ImgView->SetSelected(index);
  if (index < 0) return;
  const TWmRec& item = items_[index];
  const QSignalBlocker quietRange(trcRange);
  showing_ = true;
  ShowPosition();
  trcTextTran->setValue(ImgView->Layer(index).Opacity);
  trcRange->SetPositionL(trcRange->Min());
  trcRange->SetPositionU(item.EndSec);
  trcRange->SetPositionL(item.StartSec);
  edtStart->setText(SecondsText(item.StartSec));
  edtEnd->setText(SecondsText(item.EndSec));
  const bool text = item.Kind == kWmText;
  textControls_->setEnabled(text);
  if (text) {
    skFontCmb->setCurrentText(QString::fromStdString(item.Font.Name));
    skFontSizeCmb->setCurrentText(QString::number(item.Font.Size));
    ChooseColour(skColorBoxcmb, item.Font.Color);
    ChooseColour(skColorBoxbackground, item.BackColor);
    skChkBold->setChecked(HasStyle(item.Font.Style, TFontStyle::Bold));
    skChkItalic->setChecked(HasStyle(item.Font.Style, TFontStyle::Italic));
    skChkUnderline->setChecked(HasStyle(item.Font.Style, TFontStyle::Underline));
    skChkStrikeOut->setChecked(HasStyle(item.Font.Style, TFontStyle::StrikeOut));
    (item.FillBack ? rb1 : rb2)->setChecked(true);
    skColorBoxbackground->setEnabled(item.FillBack);
  }
  showing_ = false;
}

// The position bars follow the selected layer.
void TfrmWaterMark::ShowPosition() {
  const int index = Current();
  if (index < 0) return;
  const bool wasShowing = std::exchange(showing_, true);
  const QRectF location = ImgView->Layer(index).Location;
  trcTextHoriz->setValue(static_cast<int>(std::lround(location.left())));
  trcTextVert->setValue(static_cast<int>(std::lround(location.top())));
  edtTextHoriz->setText(QString::number(std::lround(location.left())));
  edtTextVert->setText(QString::number(std::lround(location.top())));
  showing_ = wasShowing;
}

void TfrmWaterMark::EditCurrentText() {
  const TWmRec* item = CurrentItem();
  if (item == nullptr || item->Kind != kWmText) return;
  const QRect entry = lsbox->visualItemRect(lsbox->currentItem());
  edt1->setGeometry(21, entry.top() + 2, lsbox->viewport()->width() - 25, 20);
  edt1->setText(lsbox->currentItem()->text());
  edt1->show();
  edt1->setFocus();
}

void TfrmWaterMark::edt1Change(const QString& text) {
  if (Current() < 0) return;
  lsbox->currentItem()->setText(text);
  ChangeText([t = text.toStdString()](TWmRec& item) { item.Text = t; });
}

void TfrmWaterMark::trcTextHorizChange(int value) {
  edtTextHoriz->setText(QString::number(value));
  if (showing_ || Current() < 0) return;
  const QRectF location = ImgView->Layer(Current()).Location;
  ImgView->SetLayerLocation(Current(), location.translated(value - location.left(), 0));
}

void TfrmWaterMark::trcTextVertChange(int value) {
  edtTextVert->setText(QString::number(value));
  if (showing_ || Current() < 0) return;
  const QRectF location = ImgView->Layer(Current()).Location;
  ImgView->SetLayerLocation(Current(), location.translated(0, value - location.top()));
}

void TfrmWaterMark::trcTextTranChange(int value) {
  edtTextTran->setText(QString::number(value));
  if (showing_ || Current() < 0) return;
  ImgView->SetLayerOpacity(Current(), value);
}

void TfrmWaterMark::trcRangeChange() {
  TWmRec* item = CurrentItem();
  if (showing_ || item == nullptr) return;
  item->StartSec = trcRange->PositionL();
  item->EndSec = trcRange->PositionU();
  edtStart->setText(SecondsText(item->StartSec));
  edtEnd->setText(SecondsText(item->EndSec));
}

// A text property changed on the current text item: the layer is rendered
// anew at the text's measured size, keeping its top-left corner (a size
// given by dragging is replaced).
void TfrmWaterMark::ChangeText(const std::function<void(TWmRec&)>& change) {
  TWmRec* item = CurrentItem();
  if (showing_ || item == nullptr || item->Kind != kWmText) return;
  change(*item);
  RenderTextLayer(Current());
}

void TfrmWaterMark::RenderTextLayer(int index) {
  TWmRec& item = items_[index];
  const QSize extent = TextExtent(item.Font, item.Text);
  item.TextWidth = extent.width();
  item.TextHeight = extent.height();
  TLayer layer = ImgView->Layer(index);
  layer.Picture = OverlayImage(RenderTextItem(item));
  layer.Location = QRectF(layer.Location.topLeft(), QSizeF(extent));
  ImgView->SetLayer(index, std::move(layer));
}

void TfrmWaterMark::btnOkClick() {
  std::vector<TWmRec> stored;
  stored.reserve(items_.size());
  for (int i = 0; i < static_cast<int>(items_.size()); ++i) {
    TWmRec item = items_[i];
    const TLayer& layer = ImgView->Layer(i);
    const QRect location(static_cast<int>(std::lround(layer.Location.left())),
                         static_cast<int>(std::lround(layer.Location.top())),
                         static_cast<int>(std::lround(layer.Location.width())),
                         static_cast<int>(std::lround(layer.Location.height())));
    if (item.Kind == kWmText) {
      item.Text = lsbox->item(i)->text().toStdString();
      item.TextLeft = location.left();
      item.TextTop = location.top();
      item.TextWidth = location.width();
      item.TextHeight = location.height();
      item.TextAlpha = layer.Opacity;
    } else {
      item.ImageLeft = location.left();
      item.ImageTop = location.top();
      item.ImageWidth = location.width();
      item.ImageHeight = location.height();
      item.ImageAlpha = layer.Opacity;
    }
    stored.push_back(std::move(item));
  }
  rec_.WaterMarks = std::move(stored);
  preview_->Stop();
  accept();
}

void TfrmWaterMark::reject() {
  preview_->Stop();
  QDialog::reject();
}

}  // namespace kx
