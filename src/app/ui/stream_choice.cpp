#include "app/ui/stream_choice.h"

#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QSignalBlocker>
#include <QVBoxLayout>

#include "app/title_row_texts.h"
#include "app/ui/title_list_delegate.h"
#include "controls/picture_button.h"

namespace kx {
namespace {

constexpr char kDefaultSubtitle[] = "Default";

template <class Stream>
QString EntryText(const Stream& stream) {
  return QString::fromStdString(StreamEntryText(stream));
}

QComboBox* StreamList(const char* name, QWidget* parent) {
  auto* list = new QComboBox(parent);
  list->setObjectName(name);
  list->setItemDelegate(new TStreamEntryDelegate(list));
  list->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
  list->setMinimumContentsLength(16);
  return list;
}

QLineEdit* ChapterField(const char* name, QWidget* parent) {
  auto* field = new QLineEdit(parent);
  field->setObjectName(name);
  field->setReadOnly(true);
  field->setFixedWidth(36);
  field->setAlignment(Qt::AlignCenter);
  return field;
}

}  // namespace

TStreamChoice::TStreamChoice(std::function<TlvFilesRecord*()> selectedRecord, QWidget* parent)
    : QWidget(parent), selectedRecord_(std::move(selectedRecord)) {
  cmbAudioLanguage = StreamList("cmbAudioLanguage", this);
  cmbSubtitle = StreamList("cmbSubtitle", this);
  edtFrom = ChapterField("edtFrom", this);
  edtTo = ChapterField("edtTo", this);

  auto arrows = [this](TPictureButton*& up, const char* upName, TPictureButton*& down, const char* downName,
                       ChapterButton upButton, ChapterButton downButton) {
    up = new TPictureButton(Glyph::ArrowUp, {}, QSize(18, 11), this);
    up->setObjectName(upName);
    down = new TPictureButton(Glyph::ArrowDown, {}, QSize(18, 11), this);
    down->setObjectName(downName);
    connect(up, &QAbstractButton::clicked, this, [this, upButton] { ChapterClick(upButton); });
    connect(down, &QAbstractButton::clicked, this, [this, downButton] { ChapterClick(downButton); });
    auto* column = new QVBoxLayout;
    column->setSpacing(1);
    column->addWidget(up);
    column->addWidget(down);
    return column;
  };
  QVBoxLayout* fromArrows =
      arrows(btnUp, "btnUp", btnDown, "btnDown", ChapterButton::FirstUp, ChapterButton::FirstDown);
  QVBoxLayout* toArrows =
      arrows(btnUp1, "btnUp1", btnDown1, "btnDown1", ChapterButton::LastUp, ChapterButton::LastDown);

  connect(cmbAudioLanguage, &QComboBox::currentIndexChanged, this, &TStreamChoice::cmbAudioLanguageChange);
  connect(cmbSubtitle, &QComboBox::currentIndexChanged, this, &TStreamChoice::cmbSubtitleChange);

  auto* chapters = new QHBoxLayout;
  chapters->addWidget(edtFrom);
  chapters->addLayout(fromArrows);
  chapters->addWidget(new QLabel("to", this));
  chapters->addWidget(edtTo);
  chapters->addLayout(toArrows);
  chapters->addStretch();

  auto* grid = new QGridLayout(this);
  grid->setContentsMargins(0, 0, 0, 0);
  grid->addWidget(new QLabel("Audio:", this), 0, 0);
  grid->addWidget(cmbAudioLanguage, 0, 1);
  grid->addWidget(new QLabel("Subtitle:", this), 0, 2);
  grid->addWidget(cmbSubtitle, 0, 3);
  grid->addWidget(new QLabel("Rip Chapter from: ", this), 1, 0);
  grid->addLayout(chapters, 1, 1, 1, 3);
  grid->setColumnStretch(1, 1);
  grid->setColumnStretch(3, 1);
  ClearChoice();
  SetRowSelected(false);
}

void TStreamChoice::ShowRecord(const TlvFilesRecord& rec) {
  const TDVDTitleInfo& info = rec.TitleInfo;
  {
    const QSignalBlocker blocker(cmbAudioLanguage);
    cmbAudioLanguage->clear();
    cmbAudioLanguage->setEnabled(info.AudioCount > 0);
    for (int i = 0; i < info.AudioCount; ++i) cmbAudioLanguage->addItem(EntryText(info.Audio[i]));
    if (info.AudioCount > 0) cmbAudioLanguage->setCurrentIndex(rec.AudioIndex < 0 ? 0 : rec.AudioIndex);
  }
  {
    const QSignalBlocker blocker(cmbSubtitle);
    cmbSubtitle->clear();
    cmbSubtitle->setEnabled(true);
    for (int i = 0; i < info.SubtitleCount; ++i) cmbSubtitle->addItem(EntryText(info.Subtitles[i]));
    cmbSubtitle->addItem(kDefaultSubtitle);
    cmbSubtitle->setCurrentIndex(rec.SubtitleIndex < 0 ? 0 : rec.SubtitleIndex);
  }
  edtFrom->setText(QString::number(rec.ChapterFrom));
  edtTo->setText(QString::number(rec.ChapterTo));
}

void TStreamChoice::ClearChoice() {
  for (QComboBox* list : {cmbAudioLanguage, cmbSubtitle}) {
    const QSignalBlocker blocker(list);
    list->clear();
    list->setEnabled(false);
  }
  edtFrom->clear();
  edtTo->clear();
}

void TStreamChoice::SetRowSelected(bool selected) {
  for (QWidget* control : std::initializer_list<QWidget*>{cmbAudioLanguage, cmbSubtitle, btnUp, btnDown, btnUp1,
                                                          btnDown1})
    control->setEnabled(selected);
}

void TStreamChoice::cmbAudioLanguageChange(int position) {
  if (TlvFilesRecord* rec = selectedRecord_()) ChooseAudio(*rec, position);
}

void TStreamChoice::cmbSubtitleChange(int position) {
  if (TlvFilesRecord* rec = selectedRecord_()) ChooseSubtitle(*rec, position);
}

void TStreamChoice::ChapterClick(ChapterButton button) {
  TlvFilesRecord* rec = selectedRecord_();
  if (!rec) return;
  const ChapterRange shown{edtFrom->text().toInt(), edtTo->text().toInt()};
  const std::optional<ChapterRange> moved = StepChapters(button, shown, rec->TitleInfo.ChapterCount);
  if (!moved) return;
  edtFrom->setText(QString::number(moved->from));
  edtTo->setText(QString::number(moved->to));
  rec->ChapterFrom = moved->from;
  rec->ChapterTo = moved->to;
}

}  // namespace kx
