#include "app/ui/main_menus.h"

#include <QHBoxLayout>
#include <QMenu>
#include <QToolButton>

#include "controls/popup_menu.h"

namespace kx {
namespace {

QToolButton* MenuButton(const char* name, const char* caption, QWidget* parent) {
  auto* button = new QToolButton(parent);
  button->setObjectName(name);
  button->setText(caption);
  button->setToolButtonStyle(Qt::ToolButtonTextOnly);
  button->setFocusPolicy(Qt::NoFocus);
  return button;
}

QMenu* PopupMenu(const char* name, QWidget* parent) {
  auto* menu = new QMenu(parent);
  menu->setObjectName(name);
  return menu;
}

QAction* Item(QMenu* menu, const char* name, const char* caption) {
  QAction* action = menu->addAction(caption);
  action->setObjectName(name);
  return action;
}

}  // namespace

TMainMenus::TMainMenus(QWidget* parent) : QWidget(parent) {
  setObjectName("panMenuBar");
  setAttribute(Qt::WA_StyledBackground);
  menubtnFile = MenuButton("menubtnFile", "File", this);
  menubtnEdit = MenuButton("menubtnEdit", "Edit", this);
  menubtnPreference = MenuButton("menubtnPreference", "Preference", this);
  menubtnHelp = MenuButton("menubtnHelp", "Help", this);
  menubtnWebsite = MenuButton("menubtnWebsite", "Website", this);
  auto* layout = new QHBoxLayout(this);
  layout->setContentsMargins(6, 1, 6, 1);
  layout->setSpacing(2);
  for (QToolButton* button : {menubtnFile, menubtnEdit, menubtnPreference, menubtnHelp, menubtnWebsite})
    layout->addWidget(button);
  layout->addStretch();

  skPopupMenuFile = PopupMenu("skPopupMenuFile", this);
  mniAdd = Item(skPopupMenuFile, "mniAdd", "&Add");
  mniClear = Item(skPopupMenuFile, "mniClear", "&Clear");
  mniStart = Item(skPopupMenuFile, "mniStart", "&Start");
  skPopupMenuFile->addSeparator();
  mniSettings = Item(skPopupMenuFile, "mniSettings", "Se&ttings");
  mniExit = Item(skPopupMenuFile, "mniExit", "&Exit");

  skPopupMenuEdit = PopupMenu("skPopupMenuEdit", this);
  mniCrop = Item(skPopupMenuEdit, "mniCrop", "&Crop");
  mniTrim = Item(skPopupMenuEdit, "mniTrim", "&Trim");
  mniVideoEffect = Item(skPopupMenuEdit, "mniVideoEffect", "&Video Effect && Water Mark");

  skPopupMenuHelp = PopupMenu("skPopupMenuHelp", this);
  mniHelp = Item(skPopupMenuHelp, "mniHelp", "&Help");
  skPopupMenuHelp->addSeparator();
  mniSupport = Item(skPopupMenuHelp, "mniSupport", "&Support and Contact");
  mniAbout = Item(skPopupMenuHelp, "mniAbout", "&About");

  skPopupMenuAddDVD = PopupMenu("skPopupMenuAddDVD", this);
  mniAddDVDDriver = skPopupMenuAddDVD->addMenu("Add DVD Driver");
  mniAddDVDDriver->setObjectName("mniAddDVDDriver");
  mniOpenImage = Item(mniAddDVDDriver, "mniOpenImage", "Open DVD image or folder…");
}

void TMainMenus::PopupUnder(QMenu* menu, QWidget* button, QPoint offset, std::initializer_list<QWidget*> openers) {
  PopupFromButtons(menu, button->mapToGlobal(QPoint(0, button->height()) + offset), openers);
}

void TMainMenus::FillDriveMenu(const std::vector<DriveItem>& drives,
                               const std::function<void(const std::string&)>& openDrive) {
  for (const DriveItem& drive : drives) {
    QAction* item = new QAction(QString::fromStdString(drive.Caption).replace("&", "&&"), mniAddDVDDriver);
    const std::string name = drive.Name;
    connect(item, &QAction::triggered, this, [openDrive, name] { openDrive(name); });
    mniAddDVDDriver->insertAction(mniOpenImage, item);
  }
  if (!drives.empty()) mniAddDVDDriver->insertSeparator(mniOpenImage);
}

}  // namespace kx
