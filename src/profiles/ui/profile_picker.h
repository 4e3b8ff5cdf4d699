#pragma once
// The profile picker: a read-only name field (edt1) with an arrow button
// (imgbtn1) that opens an owner-drawn list (lst1) of the catalogue, grouped
// under headings that expand and collapse. The list lies over the window's
// other controls, above the field or below it. Main thread only.
#include <QPixmap>
#include <QPointer>
#include <QWidget>
#include <array>
#include <string>

#include "profiles/picker_rows.h"

class QLineEdit;
class QListWidget;
class QToolButton;

namespace kx {

class ProfilePicker : public QWidget {
  Q_OBJECT

 public:
  enum class Choice {
    StoreAtOnce,  // main window: a chosen profile becomes current at once
    Deferred,     // settings dialog: only SelectedName/SelectedCode change
  };
  enum class Opening { Above, Below };

  ProfilePicker(std::string settingsIni, Choice choice, Opening opening, QWidget* parent = nullptr);
  ~ProfilePicker() override;

  // Rebuilds the rows from the catalogue and "lstformat", shows the current
  // profile's name and selects its row. The list is left hidden.
  void Rebuild();
  // Writes the Collapsed flag of every group row to "lstformat".
  void SaveGroupStates() const;

  // The profile shown: set by Rebuild and by every choice.
  const QString& SelectedName() const { return selectedName_; }
  int SelectedCode() const { return selectedCode_; }

 signals:
  // A profile row was chosen; with StoreAtOnce it is already stored.
  void profileChosen(const QString& name, int code);

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  class RowDelegate;

  void FillList();
  void OpenOrClose(bool resize);
  // Without resizing, the list keeps the size of its last opening.
  void ShowList(bool resize);
  void HideList();
  void PressRow(int row, int x);
  void Choose(int row);
  void SelectRowOfName(const QString& name);

  std::string settingsIni_;
  Choice choice_;
  Opening opening_;
  PickerRows rows_;
  QString selectedName_;
  int selectedCode_ = 0;
  QLineEdit* field_;
  QToolButton* arrow_;
  QPointer<QListWidget> list_;  // a child of the window while shown, so it can cover other controls
  std::array<QPixmap, 2> glyphs_;       // collapsed, expanded
  std::array<QPixmap, 3> groupIcons_;   // by group number
};

}  // namespace kx
