#pragma once
// The settings dialog: the output profile with its video and audio
// parameters. The lists come from the profile's section of the format INI;
// Ok writes the user's choices into the same section of the settings INI and
// makes the profile current. Each showing reloads everything from the files.
// Main thread only.
#include <QDialog>
#include <array>
#include <string>

#include "profiles/profile_parameters.h"

class QComboBox;

namespace kx {

class MessageBoxes;
class ProfilePicker;

class TfrmSettings : public QDialog {
  Q_OBJECT

 public:
  TfrmSettings(std::string settingsIni, std::string formatIni, MessageBoxes& messages, QWidget* parent);

  void btnDefaultClick();
  // Raises SettingsError when the settings INI cannot be written; the
  // dialog then stays open.
  void btnOkClick();

 protected:
  void showEvent(QShowEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  QWidget* CreateVideoGroup();
  QWidget* CreateAudioGroup();
  QComboBox* Box(Parameter parameter) const { return boxes_[static_cast<std::size_t>(parameter)]; }
  // Fills the lists for the picker's profile and shows the stored choices;
  // `zoomWhenMissing` differs between showing and switching profile.
  void LoadProfile(Zoom zoomWhenMissing);
  void EnableGroups(bool switched);
  // Keys typed into an editable box; false discards the key.
  bool AcceptKey(Parameter parameter, const QString& typed);
  // The check of a typed value when the focus leaves its box.
  void LeaveBox(Parameter parameter);
  void Warn(const std::string& text);
  ProfileChoices ShownChoices() const;

  std::string settingsIni_;
  std::string formatIni_;
  MessageBoxes& messages_;
  ProfilePicker* picker_ = nullptr;
  std::array<QComboBox*, kParameterCount> boxes_{};
  QComboBox* cmbZoom = nullptr;
  QString loadedName_;  // the profile whose lists are shown
};

}  // namespace kx
