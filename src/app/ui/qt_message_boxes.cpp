#include "app/ui/qt_message_boxes.h"

#include <QApplication>
#include <QMessageBox>

namespace kx {

void QtMessageBoxes::Show(const std::string& caption, const std::string& text, MessageIcon icon) {
  QMessageBox box(icon == MessageIcon::Warning ? QMessageBox::Warning : QMessageBox::Critical,
                  QString::fromStdString(caption), QString::fromStdString(text), QMessageBox::Ok,
                  QApplication::activeWindow());
  box.exec();
}

}  // namespace kx
