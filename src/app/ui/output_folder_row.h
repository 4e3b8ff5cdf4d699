#pragma once
// "Output Directory:" with its read-only field and the Browse and Open
// buttons. The folder lives in the settings file under "OutPutDir". Main
// thread only.
#include <QWidget>
#include <string>

#include "app/ui/directory_chooser.h"

class QLineEdit;

namespace kx {

class MessageBoxes;

class TOutputFolderRow : public QWidget {
  Q_OBJECT

 public:
  TOutputFolderRow(MessageBoxes& messages, FolderChooser chooser, QWidget* parent);

  void ShowFolder(const std::string& folder);
  std::string Folder() const;
  void SetFolderChooser(FolderChooser chooser) { chooser_ = std::move(chooser); }

  void btnBrowsClick();
  void btnOpenClick();

 private:
  MessageBoxes& messages_;
  FolderChooser chooser_;
  QLineEdit* edDirectory = nullptr;
};

}  // namespace kx
