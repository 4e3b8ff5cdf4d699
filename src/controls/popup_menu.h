#pragma once
// Pop-up menus opened from buttons. Main thread only; blocks in the menu's
// own event loop until it closes.
#include <QPoint>
#include <initializer_list>

class QMenu;
class QWidget;

namespace kx {

// Shows `menu` with its top-left corner at `topLeft` (global coordinates)
// and returns once it has closed. A click on one of `openers` while the menu
// is up only closes it: the click is not handed on to the button, so the
// menu does not open again at once.
void PopupFromButtons(QMenu* menu, QPoint topLeft, std::initializer_list<QWidget*> openers);

}  // namespace kx
