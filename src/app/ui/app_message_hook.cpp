#include "app/ui/app_message_hook.h"

#include <QApplication>
#include <QMouseEvent>
#include <QWidget>

namespace kx {
namespace {

// The press belongs to the picker when it lands on one of its parts or inside one.
bool IsPickerPart(const QWidget* widget) {
  for (; widget; widget = widget->parentWidget()) {
    const QString name = widget->objectName();
    for (const char* part : {"lst1", "imgbtn1", "edt1"})
      if (name.compare(QLatin1String(part), Qt::CaseInsensitive) == 0) return true;
  }
  return false;
}

}  // namespace

TAppMessageHook::TAppMessageHook(QWidget* window) : QObject(window), window_(window) {
  qApp->installEventFilter(this);
  connect(qApp, &QGuiApplication::applicationStateChanged, this, [this](Qt::ApplicationState state) {
    if (state != Qt::ApplicationActive) HidePickerList();
  });
}

TAppMessageHook::~TAppMessageHook() { qApp->removeEventFilter(this); }

bool TAppMessageHook::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::MouseButtonPress && watched->isWidgetType() &&
      static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) {
    const QPoint at = static_cast<QMouseEvent*>(event)->globalPosition().toPoint();
    if (!IsPickerPart(QApplication::widgetAt(at))) HidePickerList();
  }
  return false;
}

void TAppMessageHook::HidePickerList() {
  if (QWidget* list = window_->findChild<QWidget*>("lst1"); list && list->isVisible()) list->hide();
}

}  // namespace kx
