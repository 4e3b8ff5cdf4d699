#pragma once
// The menu bar of the main window (File, Edit, Preference, Help, Website)
// and its pop-up menus, including the "Add DVD" menu with the drive items.
// The main window connects the actions. Main thread only.
#include <QWidget>
#include <functional>
#include <string>
#include <vector>

#include "dvd/drive_scan.h"

class QAction;
class QMenu;
class QToolButton;

namespace kx {

class TMainMenus : public QWidget {
  Q_OBJECT

 public:
  explicit TMainMenus(QWidget* parent);

  // Shows `menu` under `button`, `offset` away from its bottom-left corner.
  // `openers` are the buttons whose click only closes the menu while it is up.
  static void PopupUnder(QMenu* menu, QWidget* button, QPoint offset, std::initializer_list<QWidget*> openers);

  // The items under "Add DVD Driver": one per drive, then "Open DVD image or
  // folder…". Each drive item hands its name to `openDrive`.
  void FillDriveMenu(const std::vector<DriveItem>& drives, const std::function<void(const std::string&)>& openDrive);

  QToolButton* menubtnFile = nullptr;
  QToolButton* menubtnEdit = nullptr;
  QToolButton* menubtnPreference = nullptr;
  QToolButton* menubtnHelp = nullptr;
  QToolButton* menubtnWebsite = nullptr;

  QMenu* skPopupMenuFile = nullptr;
  QAction* mniAdd = nullptr;
  QAction* mniClear = nullptr;
  QAction* mniStart = nullptr;
  QAction* mniSettings = nullptr;
  QAction* mniExit = nullptr;

  QMenu* skPopupMenuEdit = nullptr;
  QAction* mniCrop = nullptr;
  QAction* mniTrim = nullptr;
  QAction* mniVideoEffect = nullptr;

  QMenu* skPopupMenuHelp = nullptr;
  QAction* mniHelp = nullptr;
  QAction* mniSupport = nullptr;
  QAction* mniAbout = nullptr;

  QMenu* skPopupMenuAddDVD = nullptr;
  QMenu* mniAddDVDDriver = nullptr;  // "Add DVD Driver"
  QAction* mniOpenImage = nullptr;   // "Open DVD image or folder…"
};

}  // namespace kx
