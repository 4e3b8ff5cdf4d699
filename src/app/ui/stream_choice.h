#pragma once
// The stream and chapter choice of the selected title: "Audio:" and
// "Subtitle:" lists, "Rip Chapter from: " … "to" with the four arrow buttons.
// Every change is written at once into the selected row's job record. Main
// thread only.
#include <QWidget>
#include <functional>

#include "app/chapter_range.h"
#include "app/title_job.h"

class QComboBox;
class QLineEdit;

namespace kx {

class TPictureButton;

class TStreamChoice : public QWidget {
  Q_OBJECT

 public:
  // `selectedRecord` answers the job record of the selected row, or null.
  TStreamChoice(std::function<TlvFilesRecord*()> selectedRecord, QWidget* parent);

  // Fills the lists and fields from `rec`: its streams, the chosen entries
  // (the first where an index is negative) and its chapter range.
  void ShowRecord(const TlvFilesRecord& rec);
  // Empties and disables the lists and empties the chapter fields.
  void ClearChoice();
  // A selected row enables the lists and the chapter buttons; none disables them.
  void SetRowSelected(bool selected);

  void cmbAudioLanguageChange(int position);
  void cmbSubtitleChange(int position);
  void ChapterClick(ChapterButton button);

 private:
  std::function<TlvFilesRecord*()> selectedRecord_;
  QComboBox* cmbAudioLanguage = nullptr;
  QComboBox* cmbSubtitle = nullptr;
  QLineEdit* edtFrom = nullptr;
  QLineEdit* edtTo = nullptr;
  TPictureButton* btnUp = nullptr;
  TPictureButton* btnDown = nullptr;
  TPictureButton* btnUp1 = nullptr;
  TPictureButton* btnDown1 = nullptr;
};

}  // namespace kx
