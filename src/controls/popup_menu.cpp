#include "controls/popup_menu.h"

#include <QMenu>
#include <QMouseEvent>
#include <vector>

namespace kx {
namespace {

// Marks a press on an opener so that Qt does not replay it after the menu
// has closed.
class OpenerPressFilter : public QObject {
 public:
  explicit OpenerPressFilter(std::initializer_list<QWidget*> openers) : openers_(openers) {}

  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() != QEvent::MouseButtonPress) return false;
    auto* menu = static_cast<QMenu*>(watched);
    const QPoint at = static_cast<QMouseEvent*>(event)->globalPosition().toPoint();
    for (QWidget* opener : openers_)
      if (opener && opener->isVisible() && QRect(opener->mapToGlobal(QPoint()), opener->size()).contains(at))
        menu->setAttribute(Qt::WA_NoMouseReplay);
    return false;
  }

 private:
  std::vector<QWidget*> openers_;
};

}  // namespace

void PopupFromButtons(QMenu* menu, QPoint topLeft, std::initializer_list<QWidget*> openers) {
  OpenerPressFilter filter(openers);
  menu->setAttribute(Qt::WA_NoMouseReplay, false);
  menu->installEventFilter(&filter);
  menu->exec(topLeft);
  menu->removeEventFilter(&filter);
}

}  // namespace kx
