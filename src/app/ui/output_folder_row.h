#pragma once
// "Output Directory:" with its read-only field and the Browse and Open
// buttons. The folder lives in the settings file under "OutPutDir". Main
// thread only.
#include <QWidget>
#include <functional>
#include <string>

class QLineEdit;

namespace kx {

class MessageBoxes;

class TOutputFolderRow : public QWidget {
  Q_OBJECT

 public:
  // Asks the user for a folder, starting at the given one; empty when cancelled.
  using FolderChooser = std::function<std::string(const std::string& start)>;

  TOutputFolderRow(MessageBoxes& messages, QWidget* parent);

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
