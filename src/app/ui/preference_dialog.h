#pragma once
// The preferences dialog: snapshot folder, sizes, formats and JPEG quality,
// and the work priority, all in the settings file's section "settings".
// Showing it refreshes every control from the file; Ok stores them. Main
// thread only.
#include <QDialog>
#include <string>

#include "app/snapshot_settings.h"
#include "app/ui/directory_chooser.h"

class QButtonGroup;
class QCheckBox;
class QLineEdit;
class QSlider;
class QSpinBox;

namespace kx {

class MessageBoxes;

class TfrmPreference : public QDialog {
  Q_OBJECT

 public:
  TfrmPreference(std::string settingsIni, MessageBoxes& messages, FolderChooser chooser, QWidget* parent);

  void btnOkClick();
  void btnDefaultClick();
  void btnOpenClick();
  // The chosen folder is stored at once, also when the dialog is cancelled.
  void btnBrowsClick();

 protected:
  void showEvent(QShowEvent* event) override;

 private:
  QWidget* CreateSnapshotGroups();
  QWidget* CreatePriorityGroup();
  void ShowSettings(const SnapshotSettings& settings);
  // Unticking the last ticked box of a pair ticks it again.
  void KeepOneTicked(QCheckBox* clicked, QCheckBox* other);

  std::string settingsIni_;
  MessageBoxes& messages_;
  FolderChooser chooser_;
  QLineEdit* edtSnapDirectory = nullptr;
  QCheckBox* ckFullSize = nullptr;
  QCheckBox* ckSmallSize = nullptr;
  QCheckBox* ckBmp = nullptr;
  QCheckBox* ckJpg = nullptr;
  QSpinBox* spedCmp = nullptr;
  QSlider* trcCmp = nullptr;
  QButtonGroup* priority_ = nullptr;
};

}  // namespace kx
